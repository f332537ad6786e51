// (the raster benchmark comes here)
int main() {
    return 0;
}
