// Placeholder entry until the program frame lands.
int main() { return 0; }
