// How long the popup waits before it closes by itself: the author's
// ShowTime, stretched for a user who asked the system to give messages more
// time, and what is left when a user who held it goes. Platform-free.
#pragma once
#include <cstdint>

// The system's default for how long a message stays ("dismiss notifications
// after"), and the shortest time the popup stays once the user leaves it.
enum { kDefaultMessageSeconds = 5, kShortestTimeLeftMs = 5000 };

// ShowTime in milliseconds (-1: never) for a user whose messages stay
// `messageSeconds` (0 when the system does not say): stretched by
// messageSeconds / 5 when that is longer than the default, ShowTime itself
// otherwise; never beyond the longest time a timer takes.
int32_t EffectiveShowTime(int32_t showTime, uint32_t messageSeconds);

// The time left when the user who held the popup leaves it: what was left
// (never below none), and at least 5 seconds.
inline int32_t TimeLeftAfterUser(int32_t left) { return left > kShortestTimeLeftMs ? left : kShortestTimeLeftMs; }
