// A console program that does nothing; its resource script gives it the file
// version the version tests read back.
int main() { return 0; }
