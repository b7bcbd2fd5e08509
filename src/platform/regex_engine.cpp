#include "platform/regex_engine.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <limits>
#include <utility>

#include "platform/mapped_utf8.h"

namespace {

// The limits turn a runaway pattern such as "(a+)+$" into a failed search
// instead of a hung task runner.
constexpr std::uint32_t kMatchLimit = 10'000'000;
constexpr std::uint32_t kHeapLimitKiB = 256 * 1024;
constexpr std::size_t kJitStackStart = 32 * 1024;
constexpr std::size_t kJitStackMax = 16 * 1024 * 1024;

bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Bytes [begin, end) of the text; empty for a group that took no part.
std::string_view Cut(std::string_view text, std::int32_t begin, std::int32_t end) {
  if (begin < 0 || end < begin || std::size_t(end) > text.size()) return {};
  return text.substr(std::size_t(begin), std::size_t(end - begin));
}

// Appends the replacement for one match. `span` holds begin and end of the
// match and of each of its groups. A two-digit reference is taken when the
// pattern has that many groups, else its first digit alone, as script
// engines do. '$' is never the second byte of a GBK character, so scanning
// bytes is safe.
void AppendSubstitution(Text& out, std::string_view replacement, std::string_view source,
                        const std::int32_t* span, std::int32_t groupCount) {
  for (std::size_t i = 0; i < replacement.size(); ++i) {
    const char c = replacement[i];
    const char next = i + 1 < replacement.size() ? replacement[i + 1] : '\0';
    if (c != '$') {
      out += c;
      continue;
    }
    switch (next) {
      case '$':
        out += '$';
        ++i;
        continue;
      case '&':
        out.append(Cut(source, span[0], span[1]));
        ++i;
        continue;
      case '`':
        out.append(source.substr(0, std::size_t(span[0])));
        ++i;
        continue;
      case '\'':
        out.append(source.substr(std::size_t(span[1])));
        ++i;
        continue;
    }
    if (IsDigit(next)) {
      std::size_t digits = 1;
      std::int32_t group = next - '0';
      if (i + 2 < replacement.size() && IsDigit(replacement[i + 2])) {
        const std::int32_t two = group * 10 + (replacement[i + 2] - '0');
        if (two <= groupCount) {
          digits = 2;
          group = two;
        }
      }
      if (group >= 1 && group <= groupCount) {
        out.append(Cut(source, span[2 * group], span[2 * group + 1]));
        i += digits;
        continue;
      }
    }
    // "$0", "$00", a group the pattern lacks, or "$" before anything else.
    out += '$';
  }
}

}  // namespace

struct RegexEngine::Compiled {
  pcre2_code* code = nullptr;
  pcre2_match_data* matchData = nullptr;
  pcre2_match_context* matchContext = nullptr;
  pcre2_jit_stack* jitStack = nullptr;
  std::int32_t groupCount = 0;

  Compiled() = default;
  Compiled(const Compiled&) = delete;
  Compiled& operator=(const Compiled&) = delete;
  ~Compiled() {
    pcre2_jit_stack_free(jitStack);
    pcre2_match_context_free(matchContext);
    pcre2_match_data_free(matchData);
    pcre2_code_free(code);
  }

  static std::unique_ptr<Compiled> Make(const Text& pattern, bool ignoreCase, bool multiline) {
    // Converted as a whole, so that a GBK character whose second byte is "\",
    // "|" or "[" stays one character instead of turning into syntax.
    const MappedUtf8 utf8(pattern);
    pcre2_compile_context* compileContext = pcre2_compile_context_create(nullptr);
    if (compileContext == nullptr) return nullptr;
    pcre2_set_newline(compileContext, PCRE2_NEWLINE_ANYCRLF);
    std::uint32_t options = PCRE2_UTF | PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS |
                            PCRE2_MATCH_UNSET_BACKREF | PCRE2_NEVER_BACKSLASH_C;
    if (ignoreCase) options |= PCRE2_CASELESS;
    options |= multiline ? PCRE2_MULTILINE : PCRE2_DOLLAR_ENDONLY;
    int error = 0;
    PCRE2_SIZE errorOffset = 0;
    auto compiled = std::make_unique<Compiled>();
    compiled->code =
        pcre2_compile(reinterpret_cast<PCRE2_SPTR>(utf8.utf8().data()), utf8.utf8().size(), options,
                      &error, &errorOffset, compileContext);
    pcre2_compile_context_free(compileContext);
    if (compiled->code == nullptr) return nullptr;

    std::uint32_t captures = 0;
    pcre2_pattern_info(compiled->code, PCRE2_INFO_CAPTURECOUNT, &captures);
    compiled->groupCount = static_cast<std::int32_t>(captures);
    compiled->matchData = pcre2_match_data_create_from_pattern(compiled->code, nullptr);
    compiled->matchContext = pcre2_match_context_create(nullptr);
    if (compiled->matchData == nullptr || compiled->matchContext == nullptr) return nullptr;
    pcre2_set_match_limit(compiled->matchContext, kMatchLimit);
    pcre2_set_heap_limit(compiled->matchContext, kHeapLimitKiB);
    // Without the JIT (unsupported machine, no executable memory) pcre2_match
    // interprets the pattern instead.
    if (pcre2_jit_compile(compiled->code, PCRE2_JIT_COMPLETE) == 0) {
      compiled->jitStack = pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr);
      if (compiled->jitStack != nullptr)
        pcre2_jit_stack_assign(compiled->matchContext, nullptr, compiled->jitStack);
    }
    return compiled;
  }
};

RegexEngine::RegexEngine() = default;
RegexEngine::~RegexEngine() = default;

void RegexEngine::SetIgnoreCase(bool ignoreCase) {
  if (ignoreCase == ignoreCase_) return;
  ignoreCase_ = ignoreCase;
  stale_ = true;
}

void RegexEngine::SetMultiline(bool multiline) {
  if (multiline == multiline_) return;
  multiline_ = multiline;
  stale_ = true;
}

void RegexEngine::SetPattern(Text pattern) {
  pattern_ = std::move(pattern);
  stale_ = true;
}

const RegexEngine::Compiled* RegexEngine::Ready() {
  if (stale_) {
    compiled_ = Compiled::Make(pattern_, ignoreCase_, multiline_);
    stale_ = false;
  }
  return compiled_.get();
}

std::optional<RegexEngine::Found> RegexEngine::Find(std::string_view gbk) {
  const Compiled* compiled = Ready();
  if (compiled == nullptr) return std::nullopt;
  // Positions are kept as 32-bit numbers.
  if (gbk.size() >= std::size_t(std::numeric_limits<std::int32_t>::max())) return std::nullopt;

  const MappedUtf8 subject(gbk);
  const auto* bytes = reinterpret_cast<PCRE2_SPTR>(subject.utf8().data());
  const std::size_t length = subject.utf8().size();
  const std::size_t pairs = std::size_t(compiled->groupCount) + 1;
  const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(compiled->matchData);

  Found found;
  found.groupCount = compiled->groupCount;
  std::size_t start = 0;
  // The first call checks the whole converted text for valid UTF-8; checking
  // it again on every later call would make a long playlist quadratic.
  std::uint32_t matchOptions = 0;
  while (start <= length) {
    const int rc = pcre2_match(compiled->code, bytes, length, start, matchOptions,
                               compiled->matchData, compiled->matchContext);
    if (rc == PCRE2_ERROR_NOMATCH) break;
    if (rc <= 0) return std::nullopt;
    matchOptions = PCRE2_NO_UTF_CHECK;
    const std::size_t begin = ovector[0];
    const std::size_t end = ovector[1];
    if (end < begin || begin < start) return std::nullopt;  // \K games; never seen in practice
    for (std::size_t pair = 0; pair < pairs; ++pair) {
      const bool set = pair < std::size_t(rc) && ovector[2 * pair] != PCRE2_UNSET;
      for (std::size_t side = 0; side < 2; ++side)
        found.spans.push_back(
            set ? static_cast<std::int32_t>(subject.GbkOffset(ovector[2 * pair + side])) : -1);
    }
    if (!global_) break;
    if (end > begin) {
      start = end;
      continue;
    }
    // After an empty match the next search starts one character on, never at
    // the same place again.
    if (end == length) break;
    start = end + 1;
    while (start < length && IsUtf8Continuation(subject.utf8()[start])) ++start;
  }
  return found;
}

std::shared_ptr<const RegexMatchCollection> RegexEngine::Execute(std::string_view subject) {
  std::optional<Found> found = Find(subject);
  if (!found) return nullptr;
  return std::make_shared<const RegexMatchCollection>(Text(subject), found->groupCount,
                                                      std::move(found->spans));
}

std::optional<Text> RegexEngine::Replace(std::string_view source, std::string_view replacement) {
  std::optional<Found> found = Find(source);
  if (!found) return std::nullopt;
  const std::size_t stride = 2 * (std::size_t(found->groupCount) + 1);
  Text out;
  out.reserve(source.size());
  std::size_t copied = 0;
  for (std::size_t at = 0; at + stride <= found->spans.size(); at += stride) {
    const std::int32_t* span = found->spans.data() + at;
    out.append(source.substr(copied, std::size_t(span[0]) - copied));
    AppendSubstitution(out, replacement, source, span, found->groupCount);
    copied = std::size_t(span[1]);
  }
  out.append(source.substr(copied));
  return out;
}
