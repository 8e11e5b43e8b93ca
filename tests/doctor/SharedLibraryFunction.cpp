// A function in a shared library of its own, for finding the file beside the library that holds it.
extern "C" int kestrumSharedLibraryFunction()
{
    return 0;
}
