#include "tune/tune.h"

#include <gtest/gtest.h>

#include <functional>

#include "check/definition_builder.h"
#include "fakes/fake_platform.h"
#include "match/file_verifier.h"
#include "tune/planted_sets.h"

namespace mavoscan {
namespace {

// A set of given samples, unseen files of the same type and files that must
// not match, each made by `make` from its index.
struct PlantedCase {
  const char* name;
  int given;
  std::function<PlantedFile(int)> sample;
  int unseen;
  std::function<PlantedFile(int)> unseen_file;
  int not_count;
  std::function<PlantedFile(int)> not_file;
  // What the tuned definition must hold (offset, bytes) and must not.
  std::vector<std::pair<int64_t, std::string>> kept;
  std::vector<int64_t> dropped_offsets;
  bool keeps_strings;
  size_t inseparable;
};

std::vector<CrossSample> AddFiles(FakePlatform& fake, const std::string& dir,
                                  int count,
                                  const std::function<PlantedFile(int)>& make) {
  std::vector<std::string> masks;
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "%s/%04d.typ", dir.c_str(), i);
    fake.AddFile(name, MakePlantedFile(make(i)));
  }
  std::vector<CrossSample> samples;
  std::string err;
  EXPECT_TRUE(CollectCrossSamples(fake, {dir + "/*"}, &samples, &err)) << err;
  return samples;
}

bool Holds(const DefinitionContent& definition, int64_t offset,
           const std::string& bytes) {
  for (const DefinitionPattern& pattern : definition.patterns) {
    if (pattern.pos <= offset &&
        offset + static_cast<int64_t>(bytes.size()) <=
            pattern.pos + static_cast<int64_t>(pattern.bytes.size()) &&
        pattern.bytes.substr(static_cast<size_t>(offset - pattern.pos),
                             bytes.size()) == bytes) {
      return true;
    }
  }
  return false;
}

bool Covers(const DefinitionContent& definition, int64_t offset) {
  for (const DefinitionPattern& pattern : definition.patterns) {
    if (pattern.pos <= offset &&
        offset < pattern.pos + static_cast<int64_t>(pattern.bytes.size())) {
      return true;
    }
  }
  return false;
}

size_t Matching(FakePlatform& fake, const DefinitionContent& definition,
                const std::vector<CrossSample>& files) {
  FileVerifier verifier(definition);
  size_t count = 0;
  for (const CrossSample& file : files) {
    FileVerdict verdict;
    std::string err;
    EXPECT_TRUE(verifier.Verify(fake, file.path, &verdict, &err)) << err;
    count += verdict.Matches();
  }
  return count;
}

TEST(Tune, KeepsWhatEvidenceAsksForAndDropsTheRest) {
  auto type = [](uint64_t base, bool varies) {
    return [=](int i) {
      PlantedFile file;
      file.seed = base + static_cast<uint64_t>(i);
      file.field_varies = varies;
      return file;
    };
  };
  auto other = [](int i) {
    PlantedFile file;
    file.seed = 5000 + static_cast<uint64_t>(i);
    file.magic = "OTH" + std::string(1, static_cast<char>('A' + i % 20));
    file.version = std::string(1, static_cast<char>(i)) + "\x01";
    file.field_varies = true;
    file.marker = "OTHER BODY TEXT";
    return file;
  };
  const PlantedCase rows[] = {
      {"zero field that varies in unseen files",
       20,
       type(1, false),
       40,
       type(100, true),
       50,
       other,
       {{0, "TYP1"}},
       {16, 17, 18, 19},
       false,
       0},
      {"noisy strings from a small set",
       6,
       [](int i) {
         PlantedFile file;
         file.seed = 1 + static_cast<uint64_t>(i);
         file.vocabulary = 40;
         file.body_words = 400;
         return file;
       },
       40,
       [](int i) {
         PlantedFile file;
         file.seed = 300 + static_cast<uint64_t>(i);
         file.vocabulary = 40;
         file.body_words = 400;
         return file;
       },
       50,
       other,
       {{0, "TYP1"}},
       {},
       false,
       0},
      {"sibling that shares every front byte",
       20,
       type(1, false),
       20,
       type(200, false),
       30,
       [](int i) {
         PlantedFile file;
         file.seed = 700 + static_cast<uint64_t>(i);
         file.marker = "SIBLING BODY TEXT";
         return file;
       },
       {{0, "TYP1"}},
       {},
       true,
       0},
      {"decoys that share the magic number",
       20,
       type(1, false),
       20,
       type(200, false),
       30,
       [](int i) {
         PlantedFile file;
         file.seed = 900 + static_cast<uint64_t>(i);
         file.version = "\x02\x01";
         file.field_varies = true;
         return file;
       },
       {{0, "TY"}, {4, std::string("\x01\x00", 2)}},
       {},
       false,
       0},
      {"files of the type itself among the --not files",
       20,
       type(1, false),
       20,
       type(200, false),
       7,
       type(400, false),
       {{0, "TYP1"}},
       {},
       false,
       7},
  };
  for (const PlantedCase& row : rows) {
    FakePlatform fake;
    const std::vector<CrossSample> samples =
        AddFiles(fake, "given", row.given, row.sample);
    const std::vector<CrossSample> unseen =
        AddFiles(fake, "unseen", row.unseen, row.unseen_file);
    const std::vector<CrossSample> not_files =
        AddFiles(fake, "not", row.not_count, row.not_file);
    DefinitionBuilder builder(fake, StringMode::kRescan);
    std::vector<const CrossSample*> training;
    for (const CrossSample& sample : samples) training.push_back(&sample);
    BuiltDefinition built;
    std::string err;
    ASSERT_TRUE(builder.Build(training, &built, &err)) << row.name << err;
    ASSERT_TRUE(built.built) << row.name;

    TuneResult result;
    ASSERT_TRUE(TuneDefinition(
        fake, {&built.content, &samples, &not_files, 5, 1}, &result, &err))
        << row.name << ": " << err;
    const DefinitionContent& tuned = result.tuned;
    // Bytes are judged on the fronts read once; only files that no byte
    // rejects are read again, for strings.
    for (size_t f = 0; f < not_files.size(); ++f) {
      const int opened = fake.open_count(not_files[f].path);
      EXPECT_LE(opened, row.keeps_strings || row.inseparable > 0 ? 2 : 1)
          << row.name << ": " << not_files[f].path << " read " << opened
          << " times";
    }
    for (const auto& [offset, bytes] : row.kept) {
      EXPECT_TRUE(Holds(tuned, offset, bytes))
          << row.name << ": lost the bytes at " << offset;
    }
    for (int64_t offset : row.dropped_offsets) {
      EXPECT_FALSE(Covers(tuned, offset))
          << row.name << ": kept the byte at " << offset;
    }
    EXPECT_EQ(!tuned.strings.empty(), row.keeps_strings) << row.name;
    EXPECT_EQ(result.inseparable.size(), row.inseparable) << row.name;
    EXPECT_EQ(result.after.not_matched, row.inseparable) << row.name;
    EXPECT_EQ(Matching(fake, tuned, not_files), row.inseparable) << row.name;
    EXPECT_EQ(Matching(fake, tuned, samples), samples.size()) << row.name;
    EXPECT_EQ(Matching(fake, tuned, unseen), unseen.size())
        << row.name << ": the tuned definition fails on unseen files";
    // A fold's definition may keep a byte its training files share by
    // chance, so the estimate may fall a little short of the truth.
    EXPECT_GE(result.after.unseen_matched * 10, samples.size() * 9)
        << row.name << ": estimate";

    TuneResult again;
    ASSERT_TRUE(TuneDefinition(
        fake, {&built.content, &samples, &not_files, 5, 1}, &again, &err));
    EXPECT_EQ(again.tuned.patterns.size(), tuned.patterns.size()) << row.name;
    EXPECT_EQ(again.dropped.size(), result.dropped.size()) << row.name;
  }
}

}  // namespace
}  // namespace mavoscan
