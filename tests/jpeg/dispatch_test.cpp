#include <gtest/gtest.h>

#include <cstring>

#include "jpeg/kernels/kernel_table.h"

namespace halvora::jpeg {
namespace {

struct KindCase {
  int family;
  uint32_t features;
  ProcessorKind kind;
};

class ProcessorKindTest : public ::testing::TestWithParam<KindCase> {};

TEST_P(ProcessorKindTest, FollowsFamilyAndFeatures) {
  ProcessorInfo info{};
  info.family = GetParam().family;
  info.feature_flags = GetParam().features;
  EXPECT_EQ(KindFromProcessorInfo(info), GetParam().kind);
}

constexpr uint32_t kMmx = kFeatureMmx;
constexpr uint32_t kSse = kFeatureSse;
constexpr uint32_t kSse2 = kFeatureSse2;

INSTANTIATE_TEST_SUITE_P(Families, ProcessorKindTest,
                         ::testing::Values(KindCase{0, 0, 0}, KindCase{5, 0, 1}, KindCase{5, kMmx, 3},
                                           KindCase{6, 0, 2}, KindCase{6, kSse, 2}, KindCase{6, kMmx, 4},
                                           KindCase{6, kMmx | kSse, 5}, KindCase{6, kMmx | kSse | kSse2, 5},
                                           KindCase{15, kMmx | kSse, 0}, KindCase{15, kSse2, 6},
                                           KindCase{4, kMmx | kSse | kSse2, 0}));

class FixedSettings final : public platform::CodecSettings {
 public:
  explicit FixedSettings(int32_t value) : value_(value) {}
  int32_t ReadInt32(const char* name) override { return std::strcmp(name, "USECPU") == 0 ? value_ : -1; }

 private:
  int32_t value_;
};

class OverrideTest : public ::testing::TestWithParam<int32_t> {};

TEST_P(OverrideTest, AKindFrom0To6ReplacesDetection) {
  FixedSettings settings(GetParam());
  EXPECT_EQ(DetermineProcessorKind(&settings), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Kinds, OverrideTest, ::testing::Range(0, 7));

TEST(OverrideTest, OtherValuesLeaveTheDetectedKind) {
  const ProcessorKind detected = DetermineProcessorKind(nullptr);
  for (int32_t value : {-1, 7, 0x30}) {
    FixedSettings settings(value);
    EXPECT_EQ(DetermineProcessorKind(&settings), detected) << value;
  }
}

TEST(DetectProcessorTest, LeavesATerminatedVendor) {
  const ProcessorInfo& info = DetectProcessor();
  EXPECT_EQ(std::strlen(info.vendor), 12u);
  EXPECT_EQ(KindFromProcessorInfo(info), DetermineProcessorKind(nullptr));
}

// AVX2 forms need the instructions (AVX2 and BMI2, leaf 7) and AVX (leaf 1)
// and a system that saves the YMM registers; only the packed kinds take any
// packed set.
TEST(KernelSetTest, Avx2NeedsProcessorAndSystemAndAPackedKind) {
  constexpr uint32_t kLeaf7 = kFeatureAvx2 | kFeatureBmi2;
  struct Case {
    uint32_t ecx, leaf7;
    bool saved, avx2;
  } const cases[] = {{kFeatureAvx | kFeatureOsxsave, kLeaf7, true, true},
                     {kFeatureAvx | kFeatureOsxsave, kLeaf7, false, false},
                     {kFeatureOsxsave, kLeaf7, true, false},
                     {kFeatureAvx | kFeatureOsxsave, kFeatureAvx2, true, false},
                     {kFeatureAvx | kFeatureOsxsave, kFeatureBmi2, true, false}};
  for (const Case& c : cases) {
    ProcessorInfo info{};
    info.feature_flags_ecx = c.ecx;
    info.extended_features = c.leaf7;
    info.ymm_state_saved = c.saved;
    EXPECT_EQ(HasAvx2(info), c.avx2);
  }
  EXPECT_EQ(KernelSetFor(2, true), KernelSet::kPlain);
  EXPECT_EQ(KernelSetFor(3, false), KernelSet::kSse2);
  EXPECT_EQ(KernelSetFor(6, true), KernelSet::kAvx2);
}

class KernelTableTest : public ::testing::TestWithParam<ProcessorKind> {};

TEST_P(KernelTableTest, EveryKindHasTheTransformAndDequantisationKernels) {
  KernelTable table{};
  FillKernelTable(table, KernelSetFor(GetParam(), HasAvx2(DetectProcessor())));
  ASSERT_NE(table.leave_simd_state, nullptr);
  for (int i = 0; i < kTransformSizes; ++i) {
    EXPECT_NE(table.inverse_dct_method0[i], nullptr);
    EXPECT_NE(table.inverse_dct_method1[i], nullptr);
  }
  EXPECT_NE(table.dequantize_method0, nullptr);
  EXPECT_NE(table.dequantize_method1, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Kinds, KernelTableTest, ::testing::Range(0, 7));

TEST(KernelTableTest, ActivatesTheSetOfTheDctMethod) {
  KernelTable table{};
  FillKernelTable(table, KernelSet::kPlain);
  ActivateDctMethod(table, 1);
  EXPECT_EQ(table.active_dequantize, table.dequantize_method1);
  for (int i = 0; i < kTransformSizes; ++i) EXPECT_EQ(table.active_inverse_dct[i], table.inverse_dct_method1[i]);
  ActivateDctMethod(table, 0);
  EXPECT_EQ(table.active_dequantize, table.dequantize_method0);
  for (int i = 0; i < kTransformSizes; ++i) EXPECT_EQ(table.active_inverse_dct[i], table.inverse_dct_method0[i]);
}

}  // namespace
}  // namespace halvora::jpeg
