#include "search/duplicate_rules.h"

#include <optional>
#include <set>
#include <vector>

#include "search/entry_order.h"

namespace velq {
namespace {

constexpr size_t kFrequencyLength = 5;
constexpr size_t kPolarisationIndex = 6;

// Hand-edited texts may be too short to carry a polarisation; such an entry
// is never taken for a near duplicate.
std::optional<char> Polarisation(const std::string& text) {
  if (text.size() <= kPolarisationIndex) return std::nullopt;
  return text[kPolarisationIndex];
}

bool IsNearDuplicate(const std::string& earlier, const std::string& later, int maxDiff) {
  const int earlierFrequency = EntryFrequency(earlier);  // the earlier text's error comes first
  const int difference = EntryFrequency(later) - earlierFrequency;
  const auto polarisation = Polarisation(later);
  return difference <= maxDiff && polarisation && polarisation == Polarisation(earlier);
}

}  // namespace

InvalidIntegerError::InvalidIntegerError(const std::string& text)
    : std::runtime_error("'" + text + "' is not a valid integer value") {}

int EntryFrequency(const std::string& text) {
  const std::string digits = text.substr(0, kFrequencyLength);
  size_t i = (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) ? 1 : 0;
  if (i == digits.size()) throw InvalidIntegerError(digits);
  int value = 0;
  for (; i < digits.size(); ++i) {
    if (digits[i] < '0' || digits[i] > '9') throw InvalidIntegerError(digits);
    value = value * 10 + (digits[i] - '0');
  }
  return digits[0] == '-' ? -value : value;
}

SearchStatus RemoveDuplicated(CheckList& list) {
  const int count = list.Count();
  std::vector<std::string> survivors;
  std::set<std::string> seen;  // case-blind keys of the texts kept so far
  for (int i = 0; i < count; ++i) {
    std::string text = list.Text(i);
    if (seen.insert(EntryCaseBlindKey(text)).second) survivors.push_back(std::move(text));
  }
  list.DeleteAll();
  for (const std::string& text : survivors) list.Add(text, true);
  // Marks the user removed are not kept.
  for (int i = 0; i < list.Count(); ++i) list.SetChecked(i, true);
  return FinishedStatus(list.Count());
}

SearchStatus RemoveNearDuplicates(CheckList& list, const std::function<int()>& maxDiff) {
  const int count = list.Count();
  // An entry is compared with its predecessor even when the predecessor was
  // itself just unchecked: 11000, 11004, 11008 with 5 MHz keep only 11000.
  for (int i = 0; i + 1 < count; ++i) {
    if (IsNearDuplicate(list.Text(i), list.Text(i + 1), maxDiff())) list.SetChecked(i + 1, false);
  }
  for (int i = count - 1; i >= 0; --i) {
    if (!list.Checked(i)) list.Delete(i);
  }
  return FinishedStatus(list.Count());
}

SearchStatus RemoveNearDuplicates(CheckList& list, int maxDiff) {
  return RemoveNearDuplicates(list, [maxDiff] { return maxDiff; });
}

}  // namespace velq
