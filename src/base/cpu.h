// The processor's optional instructions that the hot loops may use. Every
// path does the same IEEE operations in the same order, so the files
// written do not depend on which one runs; setting KESTRIX_NO_AVX2 in the
// environment makes a program take the plain paths, which is how the tests
// show that on a processor that has AVX2.
#pragma once

// True when the processor has AVX2 (an x86-64 extension) and the
// environment does not ask for the plain paths. Decided once per process.
bool useavx2();
