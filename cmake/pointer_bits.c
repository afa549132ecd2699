/* Exits with the width of a pointer in bits: 32 only where a 32-bit program really ran. */
int main(void) { return (int)(sizeof(void*) * 8); }
