#pragma once
// How an error text is shown to the user: with a closing full stop when its
// last character sorts after the full stop (a letter, a digit, a quote...),
// as the error boxes of the windows have always done.

#include <string>

namespace velq {

inline std::string WithClosingFullStop(std::string text) {
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  return text;
}

}  // namespace velq
