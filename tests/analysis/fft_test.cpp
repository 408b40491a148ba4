#include "fft.h"
#include "fft_kernels.h"
#include "fft_window.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <vector>

namespace vk350 {
namespace {

using Spectrum = std::vector<std::complex<double>>;

Spectrum NaiveDft(const std::vector<std::complex<double>>& x, int sign) {
    const std::size_t n = x.size();
    Spectrum out(n);
    for (std::size_t k = 0; k < n; ++k) {
        std::complex<double> sum = 0;
        for (std::size_t t = 0; t < n; ++t) {
            const double a = sign * 2.0 * std::numbers::pi * double((k * t) % n) / double(n);
            sum += x[t] * std::complex<double>(std::cos(a), std::sin(a));
        }
        out[k] = sum;
    }
    return out;
}

std::vector<float> RandomReals(int n, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> u(-1.0f, 1.0f);
    std::vector<float> x(std::size_t(n), 0.0f);
    for (auto& v : x)
        v = u(random);
    return x;
}

// Single precision over log2(n) passes of sums of up to n unit values.
double Tolerance(int order) {
    return 4e-7 * std::sqrt(double(1 << order)) * (order + 1);
}

// Runs a test body once with the kernels chosen for this processor and once with the portable
// passes, so both are checked on a machine that has the faster ones.
class BothKernels : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        saved_ = DoCplxFFT2;
        savedOutput_ = BuildRealOutput;
        if (GetParam()) {
            DoCplxFFT2 = DoCplxFFT2Portable;
            BuildRealOutput = BuildRealOutputPortable;
        }
    }
    void TearDown() override {
        DoCplxFFT2 = saved_;
        BuildRealOutput = savedOutput_;
    }

private:
    DoCplxFFT2Proc saved_ = nullptr;
    BuildRealOutputProc savedOutput_ = nullptr;
};

INSTANTIATE_TEST_SUITE_P(Kernels, BothKernels, ::testing::Values(false, true),
                         [](const auto& kernel) { return kernel.param ? "Portable" : "Selected"; });

TEST_P(BothKernels, RealFFTOfEveryOrderMatchesTheDftInBothDirections) {
    for (int order = 1; order <= 12; ++order) {
        SCOPED_TRACE("order " + std::to_string(order));
        const int n = 1 << order;
        RealFft* plan = InitRealFFT(order);
        ASSERT_NE(plan, nullptr);
        EXPECT_EQ(plan->length, n);
        EXPECT_FLOAT_EQ(plan->scale, 1.0f / float(n));
        const std::vector<float> x = RandomReals(n, unsigned(order));
        std::vector<std::complex<double>> cx(x.begin(), x.end());
        const Spectrum want = NaiveDft(cx, -1);
        for (int direction : {1, 5, 0, -1, -7}) {
            SCOPED_TRACE("direction " + std::to_string(direction));
            std::vector<float> data = x;
            DoRealFFT(plan, data.data(), direction);
            const double scale = direction < 0 ? 1.0 / n : 1.0;
            double worst = 0;
            for (int k = 0; k < n / 2; ++k) {
                const std::complex<double> w = want[std::size_t(k)] * scale;
                const std::complex<double> got(data[2 * k], data[2 * k + 1]);
                const std::complex<double> expect = k == 0 ? std::complex<double>(w.real(), 0) : w;
                worst = std::max(worst, std::abs(got - expect));
            }
            EXPECT_LT(worst, Tolerance(order) * scale);
            EXPECT_EQ(data[1], 0.0f) << "the Nyquist term is not kept";
        }
        DoneRealFFT(plan);
        EXPECT_EQ(plan, nullptr);
    }
}

TEST_P(BothKernels, ComplexFFTInBothLayoutsMatchesTheDftAndInvertsBack) {
    for (int order = 1; order <= 12; ++order) {
        SCOPED_TRACE("order " + std::to_string(order));
        const int n = 1 << order;
        ComplexFft* plan = InitCplxFFT(order);
        ASSERT_NE(plan, nullptr);
        const std::vector<float> re = RandomReals(n, unsigned(100 + order));
        const std::vector<float> im = RandomReals(n, unsigned(200 + order));
        std::vector<std::complex<double>> cx(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i)
            cx[std::size_t(i)] = {re[std::size_t(i)], im[std::size_t(i)]};
        for (int sign : {-1, 1}) {
            const int direction = sign < 0 ? 1 : -1;
            SCOPED_TRACE("direction " + std::to_string(direction));
            const Spectrum want = NaiveDft(cx, sign);
            const double scale = direction < 0 ? 1.0 / n : 1.0;
            std::vector<float> a = re, b = im;
            DoCplxFFTa(plan, a.data(), b.data(), direction);
            std::vector<ComplexFloat> c(static_cast<std::size_t>(n));
            for (int i = 0; i < n; ++i)
                c[std::size_t(i)] = {re[std::size_t(i)], im[std::size_t(i)]};
            DoCplxFFTb(plan, c.data(), direction);
            double worstA = 0, worstB = 0;
            for (int k = 0; k < n; ++k) {
                const std::complex<double> w = want[std::size_t(k)] * scale;
                worstA = std::max(worstA,
                                  std::abs(std::complex<double>(a[std::size_t(k)], b[std::size_t(k)]) - w));
                worstB = std::max(
                    worstB, std::abs(std::complex<double>(c[std::size_t(k)].re, c[std::size_t(k)].im) - w));
            }
            EXPECT_LT(worstA, 2 * Tolerance(order) * scale);
            EXPECT_LT(worstB, 2 * Tolerance(order) * scale);
        }
        // Forward then inverse gives the input back.
        std::vector<ComplexFloat> c(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i)
            c[std::size_t(i)] = {re[std::size_t(i)], im[std::size_t(i)]};
        DoCplxFFTb(plan, c.data(), 1);
        DoCplxFFTb(plan, c.data(), -1);
        for (int i = 0; i < n; ++i) {
            EXPECT_NEAR(c[std::size_t(i)].re, re[std::size_t(i)], 1e-5);
            EXPECT_NEAR(c[std::size_t(i)].im, im[std::size_t(i)], 1e-5);
        }
        DoneCplxFFT(plan);
        EXPECT_EQ(plan, nullptr);
    }
}
TEST(FFTPlans, RefuseOrdersOutsideTheirRange) {
    for (int order : {-3, 0, 31, 32, 40}) {
        SCOPED_TRACE(order);
        EXPECT_EQ(InitRealFFT(order), nullptr);
        EXPECT_EQ(InitCplxFFT(order), nullptr);
    }
    // Null plans and data are ignored, and freeing nothing is harmless.
    float data[2] = {1, 2};
    DoRealFFT(nullptr, data, 1);
    EXPECT_EQ(data[0], 1.0f);
    RealFft* none = nullptr;
    DoneRealFFT(none);
    RealFft* plan = InitRealFFT(1);
    DoRealFFT(plan, nullptr, 1);
    DoRealFFT(plan, data, 1);
    EXPECT_EQ(data[0], 3.0f);
    EXPECT_EQ(data[1], 0.0f);
    DoneRealFFT(plan);
}

TEST(FFTPlans, BitReverseTables) {
    struct Case {
        int order;
        std::vector<std::int32_t> table;
    };
    const Case cases[] = {
        {0, {0}},
        {1, {0, 1}},
        {2, {0, 2, 1, 3}},
        {3, {0, 4, 2, 6, 1, 5, 3, 7}},
        {4, {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15}},
    };
    for (const Case& c : cases) {
        std::vector<std::int32_t> table(c.table.size(), -1);
        GenBitRevTable(table.data(), c.order);
        EXPECT_EQ(table, c.table) << "order " << c.order;
    }
    std::vector<std::int32_t> big(std::size_t(1) << 12);
    GenBitRevTable(big.data(), 12);
    EXPECT_EQ(big[1], 2048);
    EXPECT_EQ(big[0x123], 0xC48);
    EXPECT_EQ(big[4095], 4095);
}

// The routine variables really are what the transforms call.
TEST(FFTPlans, ReplacedKernelIsUsed) {
    static int calls = 0;
    const FvecMul1Proc saved = fvecMul1;
    fvecMul1 = [](float* data, float factor, std::int32_t count) {
        ++calls;
        for (std::int32_t i = 0; i < count; ++i)
            data[i] *= 2 * factor;
    };
    RealFft* plan = InitRealFFT(2);
    float data[4] = {1, 1, 1, 1};
    DoRealFFT(plan, data, -1);
    fvecMul1 = saved;
    DoneRealFFT(plan);
    EXPECT_EQ(calls, 1);
    EXPECT_FLOAT_EQ(data[0], 2.0f);
}

TEST(WindowFunctions, EndPointsAndMidpoints) {
    // Length 128 at i = 0, 32, 64 and 127: the value and the integer table entry.
    struct Case {
        FftWindow kind;
        double value[4];
        std::int32_t table[4];
    };
    const Case cases[] = {
        {fwRectangular, {1, 1, 1, 1}, {32767, 32767, 32767, 32767}},
        {fwHamming, {0.08, 0.54, 1, 0.0805541}, {2621, 17694, 32767, 2640}},
        {fwHanning, {0, 0.5, 1, 0.0006023}, {0, 16384, 32767, 20}},
        {fwBlackman, {0, 0.34, 1, 0.0002171}, {0, 11141, 32767, 7}},
        {fwGaussian, {0.0067379, 0.2865048, 1, 0.0078678}, {221, 9388, 32767, 258}},
        {fwWelch, {0.0154438, 0.7538609, 1, 0.0459708}, {506, 24702, 32767, 1506}},
        {fwParzen, {0.0077519, 0.503876, 1, 0.0232558}, {254, 16511, 32767, 762}},
    };
    const int at[4] = {0, 32, 64, 127};
    for (const Case& c : cases) {
        SCOPED_TRACE("window " + std::to_string(c.kind));
        std::vector<std::int32_t> ints(128);
        std::vector<float> floats(128);
        GenWindowTableInt(ints.data(), c.kind, 7);
        GenWindowTableFloat(floats.data(), c.kind, 7);
        std::vector<float> ones(128, 1.0f);
        CalcWindowFloat(ones.data(), c.kind, 7);
        std::vector<std::int16_t> samples(128, 1000);
        CalcWindowInt(samples.data(), c.kind, 7);
        for (int k = 0; k < 4; ++k) {
            const std::size_t i = std::size_t(at[k]);
            EXPECT_NEAR(CalcWindowFunc(c.kind, at[k], 128), c.value[k], 1e-6) << "i " << i;
            EXPECT_EQ(ints[i], c.table[k]) << "i " << i;
            EXPECT_EQ(floats[i], CalcWindowFunc(c.kind, at[k], 128));
            EXPECT_EQ(ones[i], floats[i]);
            EXPECT_EQ(samples[i], std::int16_t(std::trunc(1000 * double(floats[i])))) << "i " << i;
        }
    }
}

TEST(WindowFunctions, OrdersOutsideTheTablesWriteNothing) {
    for (int order : {-1, 31, 40}) {
        std::vector<std::int32_t> ints(4, -5);
        std::vector<float> floats(4, -5.0f);
        std::vector<std::int16_t> samples(4, 100);
        GenWindowTableInt(ints.data(), fwHamming, order);
        GenWindowTableFloat(floats.data(), fwHamming, order);
        CalcWindowInt(samples.data(), fwHamming, order);
        CalcWindowFloat(floats.data(), fwHamming, order);
        EXPECT_EQ(ints, std::vector<std::int32_t>(4, -5)) << order;
        EXPECT_EQ(floats, std::vector<float>(4, -5.0f)) << order;
        EXPECT_EQ(samples, std::vector<std::int16_t>(4, 100)) << order;
    }
    EXPECT_EQ(CalcWindowFunc(fwHanning, 3, 0), 1.0f);
}

// The vector kernels that the transforms themselves do not use.
TEST(FFTKernels, MultiplyAndClearVectors) {
    std::vector<ComplexFloat> a = {{1, 2}, {3, -1}, {0.5f, 0.5f}};
    const std::vector<ComplexFloat> b = {{2, 0}, {0, 1}, {1, -1}};
    fvecMul2(a.data(), b.data(), 3);
    const ComplexFloat want[3] = {{2, 4}, {1, 3}, {1, 0}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(a[std::size_t(i)].re, want[i].re);
        EXPECT_FLOAT_EQ(a[std::size_t(i)].im, want[i].im);
    }
    std::vector<float> f = {1, 2, 3, 4};
    fvecMul1(f.data(), -0.5f, 3);
    EXPECT_EQ(f, (std::vector<float>{-0.5f, -1, -1.5f, 4}));
    fvecZero1(f.data(), 2);
    EXPECT_EQ(f, (std::vector<float>{0, 0, -1.5f, 4}));
    fvecZero2(a.data(), 2);
    EXPECT_EQ(a[1].re, 0.0f);
    EXPECT_EQ(a[1].im, 0.0f);
    EXPECT_EQ(a[2].re, 1.0f);
    std::vector<float> g = {0, 1, 2, 3, 4, 5, 6, 7};
    std::vector<std::int32_t> table(8);
    GenBitRevTable(table.data(), 3);
    fvecBitRev1(g.data(), table.data(), 8);
    EXPECT_EQ(g, (std::vector<float>{0, 4, 2, 6, 1, 5, 3, 7}));
    EXPECT_EQ(PassTableSize(1), 0);
    // Each of the 3 twiddles of a quarter block's values takes two entries' room.
    EXPECT_EQ(PassTableSize(3), 12); // one pass over blocks of 8 (quarter 2)
    EXPECT_EQ(PassTableSize(5), 60); // passes over blocks of 32 and 8
}

TEST(WindowFunctions, IntegerWindowTruncatesTowardZero) {
    std::vector<std::int16_t> samples = {-1000, -1000, 999, -32768};
    CalcWindowInt(samples.data(), fwHanning, 2); // w = 0, 0.5, 1, 0.5
    EXPECT_EQ(samples, (std::vector<std::int16_t>{0, -500, 999, -16384}));
    samples = {-3, 3, -3, 3};
    CalcWindowInt(samples.data(), fwHamming, 2); // w = 0.08, 0.54, 1, 0.54
    EXPECT_EQ(samples, (std::vector<std::int16_t>{0, 1, -3, 1}));
}

} // namespace
} // namespace vk350
