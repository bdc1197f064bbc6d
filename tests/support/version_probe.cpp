// A program that only carries a version block.
int main() {
    return 0;
}
