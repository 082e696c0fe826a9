// A shared library with none of the D2XX calls, put where the driver is looked for.
extern "C" __attribute__((visibility("default"))) int notADriver() {
    return 0;
}
