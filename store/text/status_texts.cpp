#include "store/text/status_texts.h"

#include "store/text/text_rules.h"

namespace velunar {

bool IsStatusText(std::string_view s) {
  return IsEqual(s, kHintText) || BeginsWith(s, kCountPrefix) || IsEqual(s, kNotFoundLine);
}

std::string CountLine(int n) {
  std::string line(kCountPrefix);
  line += DecimalCount(n);
  return line;
}

}  // namespace velunar
