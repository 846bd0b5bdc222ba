#ifndef MAVOSCAN_CHECK_FOLD_PLAN_H_
#define MAVOSCAN_CHECK_FOLD_PLAN_H_

// How a cross-check divides its samples, and which of them each definition
// is built from.
//
// The samples (indexes 0 to n-1, in the order they were collected) are
// shuffled once from the seed and cut into k folds of near-equal size:
// consecutive pieces of the shuffled order, the first n mod k of them one
// sample longer. A fold's training set is every sample of the other folds;
// the learning curve trains on the first s samples of fold 0's training set.
// Both are taken in shuffled order (so a cap or a size picks samples at
// random) and handed on in collection order, the order in which the scanner
// would meet the same files in one directory: the string analysis keeps
// that order among samples of equal size.
//
// The shuffle uses splitmix64 and a Fisher-Yates loop written out here,
// because the standard library's shuffle and distributions give different
// results on different libraries, and a seed must name the same split
// everywhere.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mavoscan {

struct FoldPlan {
  // Every sample index once, shuffled.
  std::vector<size_t> order;
  // The samples of each fold, in shuffled order.
  std::vector<std::vector<size_t>> folds;
  // There were fewer samples than folds asked for: one fold per sample.
  bool leave_one_out = false;
};

// The fewest samples a cross-check can use: every training set must keep at
// least 2, as the scanner refuses a lone sample.
constexpr size_t kMinCrossSamples = 3;

// Splits `sample_count` samples into `requested_folds` folds (fewer when
// there are fewer samples) from `seed`. Returns false with *err set when
// there are fewer than kMinCrossSamples samples or fewer than 2 folds.
bool PlanFolds(size_t sample_count, int requested_folds, uint64_t seed,
               FoldPlan* plan, std::string* err);

// The samples outside fold `held_out`, in shuffled order.
std::vector<size_t> TrainingOrder(const FoldPlan& plan, size_t held_out);

// The first `count` (or all) of `order`, sorted into collection order.
std::vector<size_t> FirstInCollectionOrder(const std::vector<size_t>& order,
                                           size_t count);

// The training sizes of the learning curve below `pool` samples:
// 2, 5, 10, 20, 50, 100, 200, 500, 1000, 2000.
std::vector<size_t> CurveSizes(size_t pool);

// What the last step of a learning curve says. Each point's share has an
// uncertainty, the half-width of its 95% (Wilson) interval; the last two
// points agree when they differ by no more than the two together
// (sqrt(h1^2 + h2^2)).
enum class CurveReading {
  kTooShort,   // fewer than two points
  kRising,     // the last step gained more than the uncertainty
  kLevelled,   // the last points agree, within 10 points of uncertainty
  kUncertain,  // too few files tested to tell, or a fall beyond chance
};

// The fewest unseen files each point of the curve is tested on (all of
// them when there are fewer).
constexpr size_t kCurveTestedFiles = 20;

struct CurvePoint {
  size_t samples = 0;  // trained on
  bool built = false;  // false: the training set gave no pattern
  size_t matched = 0;
  size_t total = 0;  // files tested
};

CurveReading ReadCurve(const std::vector<CurvePoint>& points);

// The half-width of the 95% interval of matched / total, as a share (0 to
// 1); 1 when total is 0.
double ShareUncertainty(size_t matched, size_t total);

}  // namespace mavoscan

#endif  // MAVOSCAN_CHECK_FOLD_PLAN_H_
