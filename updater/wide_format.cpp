#include "wide_format.h"

#include <vector>

namespace ostrel {
namespace {

std::u16string Digits(uint64_t value, unsigned base, bool upper) {
  const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::u16string out;
  do {
    out.insert(out.begin(), static_cast<char16_t>(digits[value % base]));
    value /= base;
  } while (value != 0);
  return out;
}

void Pad(std::u16string& out, std::u16string body, size_t width, bool zero, bool left) {
  if (body.size() >= width) {
    out += body;
  } else if (left) {
    out += body;
    out.append(width - body.size(), u' ');
  } else if (zero) {
    const bool negative = !body.empty() && body[0] == u'-';
    if (negative) body.erase(0, 1);
    if (negative) out += u'-';
    out.append(width - body.size() - (negative ? 1 : 0), u'0');
    out += body;
  } else {
    out.append(width - body.size(), u' ');
    out += body;
  }
}

}  // namespace

std::u16string FormatWide(std::u16string_view format, std::initializer_list<FormatArg> args) {
  const std::vector<FormatArg> list(args);
  size_t next = 0;
  std::u16string out;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != u'%') {
      out += format[i];
      continue;
    }
    const size_t start = i++;
    bool zero = false;
    bool left = false;
    for (; i < format.size() && (format[i] == u'0' || format[i] == u'-'); ++i) {
      zero |= format[i] == u'0';
      left |= format[i] == u'-';
    }
    size_t width = 0;
    for (; i < format.size() && format[i] >= u'0' && format[i] <= u'9'; ++i) {
      width = width * 10 + (format[i] - u'0');
    }
    if (i >= format.size()) {
      out += format.substr(start);
      break;
    }
    const char16_t conversion = format[i];
    if (conversion == u'%') {
      out += u'%';
      continue;
    }
    const bool wantsText = conversion == u's';
    const bool known = wantsText || conversion == u'd' || conversion == u'u' ||
                       conversion == u'x' || conversion == u'X' || conversion == u'c';
    if (!known || next >= list.size() || list[next].IsText() != wantsText) {
      out += format.substr(start, i - start + 1);
      continue;
    }
    const FormatArg& arg = list[next++];
    switch (conversion) {
      case u's':
        Pad(out, std::u16string(arg.Text()), width, false, left);
        break;
      case u'c':
        Pad(out, std::u16string(1, static_cast<char16_t>(arg.Integer())), width, false, left);
        break;
      case u'd': {
        const int64_t v = static_cast<int32_t>(arg.Integer());
        Pad(out, (v < 0 ? u"-" : u"") + Digits(v < 0 ? -static_cast<uint64_t>(v) : v, 10, false),
            width, zero, left);
        break;
      }
      case u'u':
        Pad(out, Digits(static_cast<uint32_t>(arg.Integer()), 10, false), width, zero, left);
        break;
      default:
        Pad(out, Digits(static_cast<uint32_t>(arg.Integer()), 16, conversion == u'X'), width, zero,
            left);
        break;
    }
  }
  return out;
}

}  // namespace ostrel
