// Placeholder entry until the start-up sequence exists.
int Boot_Main(int, char**) { return 0; }
