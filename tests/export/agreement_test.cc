// Definitions the scanner builds from generated sets and from real files of
// this system, exported to every format: each consumer's verdict on every
// file must equal the definition's, apart from the files that a loss the
// export reported accounts for. The figures go to standard output.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "export/consumers.h"
#include "export/export_command.h"
#include "export/export_definition.h"
#include "gtest/gtest.h"
#include "platform/platform.h"

namespace mavoscan {
namespace {

using export_test::ConsumerRun;
using export_test::LossExplains;
using export_test::RunConsumer;
using export_test::RunShell;
using export_test::ScratchDir;
using export_test::VerifyVerdicts;

constexpr int64_t kMiB = 1048576;

struct AgreementSet {
  std::string name;
  DefinitionContent definition;
  std::vector<std::string> files;
  std::vector<int64_t> sizes;
};

std::string RandomBytes(std::mt19937& random, size_t size) {
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

std::string MixCase(std::mt19937& random, std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z' && (random() & 1) != 0)
      c = static_cast<char>(c + 32);
  }
  return text;
}

// A sample of the generated type: patterns at 0, a zero run at 300, bytes
// at the end of the front block (2044..2047); two strings at varying
// places past it, one of mixed case and one with NUL between its letters.
std::string GeneratedSample(std::mt19937& random, size_t size) {
  using namespace std::string_literals;
  std::string data = RandomBytes(random, size);
  data.replace(0, 4, "GEN1");
  data.replace(300, 8, std::string(8, '\0'));
  data.replace(2044, 4, "TAIL");
  const std::string mixed = " " + MixCase(random, "MIXED CASE TEXT") + " ";
  const std::string wide = " L\0A\0Y\0E\0R\0S "s;
  data.replace(2100 + random() % 400, mixed.size(), mixed);
  data.replace(2600 + random() % 400, wide.size(), wide);
  return data;
}

// Runs the scanner on `dir`/train/*.smp and reads the definition it wrote.
bool ScanDefinition(const ScratchDir& dir, DefinitionContent* definition,
                    std::string* err) {
  std::string out;
  const int status = RunShell(
      "cd '" + dir.path() + "' && " TOOL_BINARY " 'train/*.smp' > scan.log",
      &out);
  if (status != 0) {
    *err = "the scanner failed: " + out;
    return false;
  }
  char program[] = "mavocheck";
  char* argv[] = {program, nullptr};
  std::unique_ptr<Platform> platform = CreatePlatform(1, argv);
  return ReadExportedDefinition(*platform, dir.path() + "/newtype.mavo.xml",
                                definition, err);
}

void AddFile(const std::string& path, AgreementSet* set) {
  set->files.push_back(path);
  set->sizes.push_back(static_cast<int64_t>(std::filesystem::file_size(path)));
}

AgreementSet GeneratedSet(const ScratchDir& dir) {
  using namespace std::string_literals;
  AgreementSet set;
  set.name = "generated";
  std::mt19937 random(19);
  for (int i = 0; i < 4; ++i) {
    dir.Write("train/s" + std::to_string(i) + ".smp",
              GeneratedSample(random, 3000 + 211 * i));
  }
  std::string err;
  if (!ScanDefinition(dir, &set.definition, &err)) {
    ADD_FAILURE() << err;
    return set;
  }
  for (int i = 0; i < 4; ++i) {
    AddFile(dir.path() + "/train/s" + std::to_string(i) + ".smp", &set);
  }
  auto add = [&](const std::string& name, const std::string& data) {
    AddFile(dir.Write("check/" + name, data), &set);
  };
  for (int i = 0; i < 4; ++i) {
    add("new" + std::to_string(i), GeneratedSample(random, 3100 + 97 * i));
  }
  std::string sample = GeneratedSample(random, 3500);
  std::string broken = sample;
  broken[2047] = 'M';
  add("broken-2047", broken);
  broken = sample;
  broken[303] = '\x01';
  add("broken-zeros", broken);
  add("short", sample.substr(0, 2047));
  std::string lower = sample;
  for (size_t at = 2048; at < lower.size(); ++at) {
    if (lower[at] >= 'A' && lower[at] <= 'Z') lower[at] += 32;
  }
  add("lower-case", lower);
  std::string no_wide = sample;
  const size_t wide = no_wide.find("\0A\0Y\0E\0R"s);
  if (wide != std::string::npos) no_wide[wide + 1] = 'X';
  add("no-nul-string", no_wide);
  add("random", RandomBytes(random, 3000));
  // The strings past 7 MiB of an 8 MiB file, and only in the tail of a
  // file over 10 MiB: both match the definition.
  const std::string front = sample.substr(0, 2048);
  const std::string strings = " MIXED CASE TEXT  L\0A\0Y\0E\0R\0S "s;
  AddFile(dir.WriteSparse("check/past-7-mib", 8 * kMiB,
                          {{0, front}, {7 * kMiB + 12345, strings}}),
          &set);
  const int64_t big = 10 * kMiB + 65536;
  AddFile(
      dir.WriteSparse(
          "check/tail-of-big", big,
          {{0, front}, {big - static_cast<int64_t>(strings.size()), strings}}),
      &set);
  return set;
}

// Up to `count` regular files under `root` whose names end in `suffix` and
// whose first bytes are `magic`, smaller than `max_size`, in name order.
std::vector<std::string> SystemFiles(const std::string& root,
                                     const std::string& suffix,
                                     const std::string& magic,
                                     uintmax_t max_size, size_t count) {
  std::vector<std::string> found;
  std::error_code ec;
  std::filesystem::recursive_directory_iterator it(
      root, std::filesystem::directory_options::skip_permission_denied, ec);
  for (; !ec && it != std::filesystem::recursive_directory_iterator();
       it.increment(ec)) {
    const std::string path = it->path().string();
    if (!path.ends_with(suffix) || !it->is_regular_file(ec) ||
        it->file_size(ec) > max_size || it->file_size(ec) < 64) {
      continue;
    }
    std::ifstream in(path, std::ios::binary);
    std::string head(magic.size(), '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    if (head == magic) found.push_back(path);
    if (found.size() >= 4 * count) break;
  }
  std::sort(found.begin(), found.end());
  // Every fourth, for files from more than one folder.
  std::vector<std::string> picked;
  for (size_t i = 0; i < found.size() && picked.size() < count; i += 4) {
    picked.push_back(found[i]);
  }
  for (size_t i = 1; i < found.size() && picked.size() < count; i += 4) {
    picked.push_back(found[i]);
  }
  return picked;
}

struct SystemType {
  std::string name;
  std::vector<std::string> files;
};

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

// For each real type found here: a definition from four files, checked on
// four more of its type and on every file of the other types.
std::vector<AgreementSet> SystemSets(const ScratchDir& dir) {
  const std::vector<SystemType> types = {
      {"PNG", SystemFiles("/usr/share", ".png", "\x89PNG", 65536, 8)},
      {"gzip", SystemFiles("/usr/share/doc", ".gz", "\x1F\x8B", 65536, 8)},
      {"ELF", SystemFiles("/usr/lib/x86_64-linux-gnu", ".so",
                          "\x7F"
                          "ELF",
                          262144, 8)},
      {"TrueType", SystemFiles("/usr/share/fonts", ".ttf",
                               std::string("\0\1\0\0", 4), 262144, 8)},
  };
  std::vector<std::string> all;
  for (size_t t = 0; t < types.size(); ++t) {
    for (size_t i = 0; i < types[t].files.size(); ++i) {
      // Names without the type's extension: the MIME database would take
      // a file by its name alone.
      all.push_back(dir.Write("all/" + types[t].name + std::to_string(i),
                              ReadWhole(types[t].files[i])));
    }
  }
  std::vector<AgreementSet> sets;
  for (const SystemType& type : types) {
    if (type.files.size() < 8) {
      std::cout << "[ agreement ] " << type.name << ": only "
                << type.files.size() << " files here, left out\n";
      continue;
    }
    ScratchDir scan;
    for (size_t i = 0; i < 4; ++i) {
      scan.Write("train/" + std::to_string(i) + ".smp",
                 ReadWhole(type.files[i]));
    }
    AgreementSet set;
    set.name = type.name;
    std::string err;
    if (!ScanDefinition(scan, &set.definition, &err)) {
      ADD_FAILURE() << type.name << ": " << err;
      continue;
    }
    for (const std::string& path : all) AddFile(path, &set);
    sets.push_back(std::move(set));
  }
  return sets;
}

class Agreement : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    generated_dir_ = new ScratchDir;
    system_dir_ = new ScratchDir;
    sets_ = new std::vector<AgreementSet>;
    sets_->push_back(GeneratedSet(*generated_dir_));
    for (AgreementSet& set : SystemSets(*system_dir_)) {
      sets_->push_back(std::move(set));
    }
  }
  static void TearDownTestSuite() {
    delete sets_;
    delete generated_dir_;
    delete system_dir_;
  }

  static void Check(ExportFormat format) {
    for (const AgreementSet& set : *sets_) {
      ExportRequest request;
      request.format = format;
      ExportResult result;
      std::string err;
      ASSERT_TRUE(ExportDefinition(set.definition, request, &result, &err))
          << set.name << ": " << err;
      const ConsumerRun run =
          RunConsumer(format, result.text, result.label, set.files);
      if (run.skipped.has_value()) GTEST_SKIP() << *run.skipped;
      ASSERT_EQ(run.error, "") << set.name << "\n" << result.text;
      ASSERT_EQ(run.matches.size(), set.files.size());
      const std::vector<bool> verdicts =
          VerifyVerdicts(set.definition, set.files);
      size_t agree = 0;
      size_t matching = 0;
      size_t missed = 0;
      for (size_t f = 0; f < set.files.size(); ++f) {
        matching += verdicts[f];
        if (run.matches[f] == verdicts[f]) {
          ++agree;
          continue;
        }
        missed += verdicts[f];
        EXPECT_TRUE(LossExplains(result.losses, set.sizes[f], run.matches[f]))
            << set.name << ", " << set.files[f] << ": the definition says "
            << (verdicts[f] ? "match" : "no match")
            << ", the consumer the opposite, and no loss says why\n"
            << result.text;
      }
      std::cout << "[ agreement ] " << ExportFormatName(format) << ", "
                << set.name << ": " << agree << " of " << set.files.size()
                << " files agree (" << matching << " match the definition), "
                << missed << " missed and " << set.files.size() - agree - missed
                << " taken as " << result.losses.size()
                << " reported losses allow\n";
    }
  }

  static ScratchDir* generated_dir_;
  static ScratchDir* system_dir_;
  static std::vector<AgreementSet>* sets_;
};

ScratchDir* Agreement::generated_dir_ = nullptr;
ScratchDir* Agreement::system_dir_ = nullptr;
std::vector<AgreementSet>* Agreement::sets_ = nullptr;

TEST_F(Agreement, Libmagic) { Check(ExportFormat::kMagic); }
TEST_F(Agreement, Yara) { Check(ExportFormat::kYara); }
TEST_F(Agreement, MimeDatabase) { Check(ExportFormat::kMime); }
TEST_F(Agreement, DroidMatcher) { Check(ExportFormat::kDroid); }

}  // namespace
}  // namespace mavoscan
