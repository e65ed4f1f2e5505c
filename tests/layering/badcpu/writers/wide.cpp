// A loop built for AVX2 that asks the processor itself, so that
// KESTRIX_NO_AVX2 does not reach it: the check of the dispatch refuses it.
__attribute__((target("avx2"))) void widesum(const double *v, double *out, int n)
{
    for (int k = 0; k < n; k++)
        out[k] += v[k];
}

void sum(const double *v, double *out, int n)
{
    if (__builtin_cpu_supports("avx2"))
        widesum(v, out, n);
}
