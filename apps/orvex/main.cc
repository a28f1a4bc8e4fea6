// The command-line launcher (filled in below).
int main() { return 0; }
