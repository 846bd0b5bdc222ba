#include "check/file_groups.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <unordered_map>
#include <utility>

#include "common/text.h"
#include "frontblock/pattern_scan.h"
#include "match/byte_evidence.h"

namespace mavoscan {
namespace {

constexpr size_t kMaxGroups = 4;
constexpr size_t kScoredSplits = 32;
constexpr size_t kClearlyMoreBytes = 2;
// What a part must keep beyond what as many files drawn at random would
// keep by chance: a byte and two standard deviations.
constexpr double kBeyondChanceBytes = 1.0;
constexpr double kChanceDeviations = 2.0;

struct Split {
  // Per file, the number of its part.
  std::vector<uint8_t> part_of;
  size_t parts = 0;
  // The offsets whose bytes split the files this way, ascending.
  std::vector<size_t> offsets;
};

size_t ShortestLength(const std::vector<std::string>& fronts,
                      const std::vector<size_t>& files) {
  size_t shortest = kFrontBlockSize;
  for (size_t f : files) shortest = std::min(shortest, fronts[f].size());
  return shortest;
}

// The bytes every file of `files` holds at the same offset within the
// shortest of them: what FindPatterns would keep, counted.
// The bytes every file of `files` holds at the same offset, and how many
// of them are neither 00 nor FF (the values of unused and padding fields).
struct Kept {
  size_t bytes = 0;
  size_t informative = 0;
};

Kept KeptBytes(const std::vector<std::string>& fronts,
               const std::vector<size_t>& files) {
  Kept kept;
  if (files.empty()) return kept;
  const size_t length = ShortestLength(fronts, files);
  const std::string& first = fronts[files[0]];
  for (size_t pos = 0; pos < length; ++pos) {
    bool shared = true;
    for (size_t i = 1; i < files.size() && shared; ++i) {
      shared = fronts[files[i]][pos] == first[pos];
    }
    if (!shared) continue;
    ++kept.bytes;
    const unsigned char byte = ByteAt(first, pos);
    kept.informative += IsInformativeByte(byte);
  }
  return kept;
}

PatternList PatternsOf(const std::vector<std::string>& fronts,
                       const std::vector<size_t>& files) {
  // Entry 0 is the base block of a refinement, unused here.
  std::vector<std::string> blocks(1);
  for (size_t f : files) blocks.push_back(fronts[f]);
  return FindPatterns(blocks, static_cast<int>(ShortestLength(fronts, files)),
                      PositionLimit::Everywhere(), /*refining=*/false);
}

std::vector<std::vector<size_t>> PartFiles(const Split& split) {
  std::vector<std::vector<size_t>> files(split.parts);
  for (size_t f = 0; f < split.part_of.size(); ++f) {
    files[split.part_of[f]].push_back(f);
  }
  return files;
}

// What a set of k files drawn at random from all the files would keep by
// chance: per offset, the odds that k files all hold the same byte there,
// from how many files hold each byte.
class ChanceTable {
 public:
  explicit ChanceTable(const std::vector<std::string>& fronts)
      : files_(fronts.size()), log_factorial_(fronts.size() + 1, 0.0) {
    for (size_t n = 2; n <= files_; ++n) {
      log_factorial_[n] =
          log_factorial_[n - 1] + std::log(static_cast<double>(n));
    }
    std::array<uint32_t, 256> counts;
    for (size_t pos = 0; pos < kFrontBlockSize; ++pos) {
      counts.fill(0);
      bool reached = false;
      for (const std::string& front : fronts) {
        if (pos >= front.size()) continue;
        ++counts[ByteAt(front, pos)];
        reached = true;
      }
      if (!reached) break;
      held_.emplace_back();
      for (uint32_t count : counts) {
        if (count > 0) held_.back().push_back(count);
      }
    }
  }

  // The mean and variance of the bytes `k` random files keep within the
  // first `length` offsets.
  std::pair<double, double> Chance(size_t k, size_t length) {
    const auto key = std::make_pair(k, length);
    if (auto found = cache_.find(key); found != cache_.end()) {
      return found->second;
    }
    double mean = 0;
    double variance = 0;
    for (size_t pos = 0; pos < std::min(length, held_.size()); ++pos) {
      double odds = 0;
      for (uint32_t count : held_[pos]) odds += Choose(count, k);
      odds /= Choose(files_, k);
      mean += odds;
      variance += odds * (1 - odds);
    }
    return cache_[key] = {mean, variance};
  }

 private:
  double Choose(size_t n, size_t k) const {
    if (k > n) return 0;
    return std::exp(log_factorial_[n] - log_factorial_[k] -
                    log_factorial_[n - k]);
  }

  size_t files_;
  std::vector<double> log_factorial_;
  // Per offset, how many files hold each byte found there.
  std::vector<std::vector<uint32_t>> held_;
  std::map<std::pair<size_t, size_t>, std::pair<double, double>> cache_;
};

uint64_t HashOf(const std::vector<uint8_t>& part_of) {
  uint64_t hash = 14695981039346656037ULL;
  for (uint8_t part : part_of) hash = (hash ^ part) * 1099511628211ULL;
  return hash;
}

// The distinct splits the offsets that every file reaches give.
std::vector<Split> FindSplits(const std::vector<std::string>& fronts) {
  const size_t count = fronts.size();
  const size_t min_part = std::max<size_t>(2, (count + 9) / 10);
  std::vector<size_t> all(count);
  for (size_t f = 0; f < count; ++f) all[f] = f;
  const size_t reach = ShortestLength(fronts, all);

  std::vector<Split> splits;
  std::unordered_multimap<uint64_t, size_t> seen;
  std::array<int, 256> part_of_byte;
  part_of_byte.fill(-1);
  std::vector<uint8_t> part_of(count);
  for (size_t pos = 0; pos < reach; ++pos) {
    std::array<unsigned char, kMaxGroups + 1> bytes{};
    std::array<size_t, kMaxGroups + 1> sizes{};
    size_t parts = 0;
    for (size_t f = 0; f < count && parts <= kMaxGroups; ++f) {
      const unsigned char byte = ByteAt(fronts[f], pos);
      if (part_of_byte[byte] < 0) {
        part_of_byte[byte] = static_cast<int>(parts);
        bytes[parts++] = byte;
      }
      part_of[f] = static_cast<uint8_t>(part_of_byte[byte]);
      ++sizes[part_of[f]];
    }
    for (size_t p = 0; p < parts; ++p) part_of_byte[bytes[p]] = -1;
    if (parts < 2 || parts > kMaxGroups ||
        *std::min_element(sizes.begin(), sizes.begin() + parts) < min_part) {
      continue;
    }
    const uint64_t hash = HashOf(part_of);
    auto [begin, end] = seen.equal_range(hash);
    auto same = std::find_if(begin, end, [&](const auto& entry) {
      return splits[entry.second].part_of == part_of;
    });
    if (same != end) {
      splits[same->second].offsets.push_back(pos);
    } else {
      seen.emplace(hash, splits.size());
      splits.push_back(Split{part_of, parts, {pos}});
    }
  }
  return splits;
}

// The runs of consecutive offsets of `offsets` with the bytes the first
// file of `files` holds there.
PatternList MarksOf(const std::vector<std::string>& fronts,
                    const std::vector<size_t>& offsets,
                    const std::vector<size_t>& files) {
  PatternList marks;
  const std::string& front = fronts[files[0]];
  for (size_t i = 0; i < offsets.size(); ++i) {
    if (i == 0 || offsets[i] != offsets[i - 1] + 1) {
      marks.push_back(Pattern{"", static_cast<int>(offsets[i])});
    }
    marks.back().bytes.push_back(front[offsets[i]]);
  }
  return marks;
}

}  // namespace

FileGrouping GroupFiles(const std::vector<std::string>& fronts) {
  FileGrouping grouping;
  if (fronts.empty()) return grouping;
  std::vector<size_t> all(fronts.size());
  for (size_t f = 0; f < fronts.size(); ++f) all[f] = f;
  grouping.whole_set = PatternsOf(fronts, all);
  const Kept whole = KeptBytes(fronts, all);
  const size_t whole_kept = whole.bytes;

  std::vector<Split> splits = FindSplits(fronts);
  std::stable_sort(splits.begin(), splits.end(),
                   [](const Split& a, const Split& b) {
                     return a.offsets.size() > b.offsets.size();
                   });
  if (splits.size() > kScoredSplits) splits.resize(kScoredSplits);

  ChanceTable chance(fronts);
  const Split* best = nullptr;
  std::pair<size_t, size_t> best_kept;
  for (const Split& split : splits) {
    size_t worst = SIZE_MAX;
    size_t worst_informative = SIZE_MAX;
    bool beyond_chance = true;
    for (const std::vector<size_t>& files : PartFiles(split)) {
      const Kept part = KeptBytes(fronts, files);
      const size_t kept = part.bytes;
      worst_informative = std::min(worst_informative, part.informative);
      const auto [mean, variance] =
          chance.Chance(files.size(), ShortestLength(fronts, files));
      beyond_chance =
          beyond_chance && static_cast<double>(kept) >=
                               mean + kBeyondChanceBytes +
                                   kChanceDeviations * std::sqrt(variance);
      worst = std::min(worst, kept);
    }
    if (!beyond_chance || worst < whole_kept + kClearlyMoreBytes ||
        (worst < 2 * whole_kept &&
         worst_informative < whole.informative + kClearlyMoreBytes)) {
      continue;
    }
    // Informative bytes first: splitting by a version field gives each
    // group its magic number, while a split by some flag may keep more
    // bytes that are mostly zero.
    const std::pair<size_t, size_t> score(worst_informative, worst);
    if (best == nullptr || score > best_kept ||
        (score == best_kept && split.parts < best->parts)) {
      best = &split;
      best_kept = score;
    }
  }
  if (best == nullptr) return grouping;

  for (std::vector<size_t>& files : PartFiles(*best)) {
    FileGroup group;
    group.marks = MarksOf(fronts, best->offsets, files);
    group.patterns = PatternsOf(fronts, files);
    group.files = std::move(files);
    grouping.groups.push_back(std::move(group));
  }
  std::stable_sort(grouping.groups.begin(), grouping.groups.end(),
                   [](const FileGroup& a, const FileGroup& b) {
                     return a.files.size() > b.files.size();
                   });
  return grouping;
}

}  // namespace mavoscan
