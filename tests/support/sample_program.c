/* The program that make-signed-files signs: any small PE file will do. */
int main(void) { return 0; }
