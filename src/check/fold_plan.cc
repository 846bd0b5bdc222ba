#include "check/fold_plan.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace mavoscan {
namespace {

class SplitMix64 {
 public:
  explicit SplitMix64(uint64_t seed) : state_(seed) {}

  uint64_t Next() {
    state_ += 0x9E3779B97F4A7C15ULL;
    uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }

  // Uniform in [0, n) for n > 0. Values below 2^64 mod n are drawn again:
  // taking them modulo n would favour the small results.
  uint64_t Below(uint64_t n) {
    const uint64_t threshold = (0 - n) % n;
    for (;;) {
      const uint64_t r = Next();
      if (r >= threshold) return r % n;
    }
  }

 private:
  uint64_t state_;
};

constexpr size_t kCurveSizes[] = {2, 5, 10, 20, 50, 100, 200, 500, 1000, 2000};

}  // namespace

bool PlanFolds(size_t sample_count, int requested_folds, uint64_t seed,
               FoldPlan* plan, std::string* err) {
  if (sample_count < kMinCrossSamples) {
    *err =
        "a cross-check needs at least 3 samples (every definition is "
        "built from 2 or more and tested on the others); found " +
        std::to_string(sample_count);
    return false;
  }
  if (requested_folds < 2) {
    *err = "a cross-check needs at least 2 folds";
    return false;
  }
  size_t k = static_cast<size_t>(requested_folds);
  plan->leave_one_out = sample_count < k;
  if (plan->leave_one_out) k = sample_count;

  plan->order.resize(sample_count);
  for (size_t i = 0; i < sample_count; ++i) plan->order[i] = i;
  SplitMix64 rng(seed);
  for (size_t i = sample_count - 1; i > 0; --i) {
    std::swap(plan->order[i], plan->order[rng.Below(i + 1)]);
  }
  plan->folds.assign(k, {});
  const size_t base = sample_count / k;
  const size_t longer = sample_count % k;
  size_t at = 0;
  for (size_t f = 0; f < k; ++f) {
    const size_t size = base + (f < longer ? 1 : 0);
    plan->folds[f].assign(
        plan->order.begin() + static_cast<ptrdiff_t>(at),
        plan->order.begin() + static_cast<ptrdiff_t>(at + size));
    at += size;
  }
  return true;
}

std::vector<size_t> TrainingOrder(const FoldPlan& plan, size_t held_out) {
  std::vector<bool> out(plan.order.size(), false);
  for (size_t index : plan.folds[held_out]) out[index] = true;
  std::vector<size_t> training;
  training.reserve(plan.order.size());
  for (size_t index : plan.order) {
    if (!out[index]) training.push_back(index);
  }
  return training;
}

std::vector<size_t> FirstInCollectionOrder(const std::vector<size_t>& order,
                                           size_t count) {
  std::vector<size_t> first(
      order.begin(),
      order.begin() + static_cast<ptrdiff_t>(std::min(count, order.size())));
  std::sort(first.begin(), first.end());
  return first;
}

std::vector<size_t> CurveSizes(size_t pool) {
  std::vector<size_t> sizes;
  for (size_t size : kCurveSizes) {
    if (size < pool) sizes.push_back(size);
  }
  return sizes;
}

double ShareUncertainty(size_t matched, size_t total) {
  if (total == 0) return 1;
  // Wilson's interval: unlike the normal one it does not shrink to nothing
  // when every file (or none) matched.
  constexpr double z = 1.96;
  const double n = static_cast<double>(total);
  const double p = static_cast<double>(matched) / n;
  return z * std::sqrt(p * (1 - p) / n + z * z / (4 * n * n)) / (1 + z * z / n);
}

CurveReading ReadCurve(const std::vector<CurvePoint>& points) {
  if (points.size() < 2) return CurveReading::kTooShort;
  const CurvePoint& before = points[points.size() - 2];
  const CurvePoint& last = points.back();
  if (before.total == 0 || last.total == 0) return CurveReading::kTooShort;
  constexpr double kLargestAgreement = 0.10;
  const double h1 = ShareUncertainty(before.matched, before.total);
  const double h2 = ShareUncertainty(last.matched, last.total);
  const double tolerance = std::sqrt(h1 * h1 + h2 * h2);
  const double gained =
      static_cast<double>(last.matched) / static_cast<double>(last.total) -
      static_cast<double>(before.matched) / static_cast<double>(before.total);
  if (gained > tolerance) return CurveReading::kRising;
  if (gained < -tolerance || tolerance > kLargestAgreement) {
    return CurveReading::kUncertain;
  }
  return CurveReading::kLevelled;
}

}  // namespace mavoscan
