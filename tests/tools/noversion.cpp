// A console program without any version resource: below every version bound.
int main() { return 0; }
