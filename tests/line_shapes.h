// Lines of every shape candump writes, with the variations real logs have
// (CR LF, tabs, odd spacing, lower case) and mutations, for the tests and
// the fuzz target that compare the grammar matcher with the reference.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace pluckrow::test {

// Concatenation in order, without operator+ chains, which GCC 12 misreads
// (-Wrestrict).
inline std::string join(std::initializer_list<std::string_view> parts) {
  std::string out;
  for (const std::string_view part : parts) out += part;
  return out;
}

// A line's text in a heap block of its exact size, where AddressSanitizer
// reports a read of even one byte past it: a matcher reads nothing past its
// line.
class exact_block {
 public:
  explicit exact_block(std::string_view text) : bytes_(new char[text.size()]), size_(text.size()) {
    std::memcpy(bytes_.get(), text.data(), size_);
  }
  std::string_view view() const { return {bytes_.get(), size_}; }

 private:
  std::unique_ptr<char[]> bytes_;
  std::size_t size_;
};

// How a generator writes a shape's fields: `varied`, with every width, case
// and identifier a line may hold, for the tests and the fuzz target;
// `as_candump`, as candump writes a recording (rising time stamps, upper-case
// hex, a few identifiers, valid lengths), for the benchmark's logs.
enum class fields { varied, as_candump };

class line_generator {
 public:
  explicit line_generator(std::uint32_t seed, fields style = fields::varied)
      : random_(seed), candump_(style == fields::as_candump) {}

  std::size_t pick(std::size_t count) { return random_() % count; }
  std::string hex(std::size_t count) {
    std::string out;
    while (out.size() < count) out += "0123456789ABCDEFabcdef"[pick(candump_ ? 16 : 22)];
    return out;
  }
  std::string digits(std::size_t count) {
    std::string out;
    while (out.size() < count) out += static_cast<char>('0' + pick(10));
    return out;
  }
  // As -ta prints it; varied, as -td or -tz print it too, or any other count
  // of digits.
  std::string seconds() {
    if (candump_) {
      microseconds_ += 100 + pick(900);
      return format("(%010llu.%06llu)", microseconds_ / 1'000'000, microseconds_ % 1'000'000);
    }
    switch (pick(3)) {
      case 0:
        return join({"(", digits(10), ".", digits(6), ")"});
      case 1:
        return join({"(", digits(3), ".", digits(6), ")"});
      default:
        return join({"(", digits(1 + pick(12)), ".", digits(1 + pick(9)), ")"});
    }
  }
  // As -td and -tz print it.
  std::string relative_seconds() {
    const unsigned long long delta = pick(2'000'000);
    return format("(%03llu.%06llu)", delta / 1'000'000, delta % 1'000'000);
  }
  std::string date() {
    if (candump_) {
      microseconds_ += 100 + pick(900);
      return format("(2015-07-10 08:%02llu:%02llu.%06llu)", microseconds_ / 60'000'000 % 60,
                    microseconds_ / 1'000'000 % 60, microseconds_ % 1'000'000);
    }
    return join({"(2015-07-10 08:57:", digits(2), ".", digits(pick(2) ? 6 : 9), ")"});
  }
  std::string standard_id() {
    if (candump_) {
      static constexpr const char* ids[] = {"101", "102", "1A0", "7DF", "2F3", "102"};
      return ids[pick(std::size(ids))];
    }
    return pick(3) == 0 ? hex(3) : pick(2) == 0 ? "101" : "102";
  }
  std::string extended_id() {
    if (candump_) return format("%08X", static_cast<unsigned>(random_() & 0x1FFFFFFF));
    if (pick(2) == 0) return hex(8);
    return join({pick(2) == 0 ? "101" : "102", hex(5)});
  }
  std::string interface() {
    static constexpr const char* names[] = {"can1", "vcan0", "slcan0", "any", "can", "vcan2"};
    return candump_ ? "vcan0" : names[pick(std::size(names))];
  }
  std::string printed(std::size_t count) {
    std::string out;
    for (std::size_t byte = 0; byte < count; ++byte) out.append(" ").append(hex(2));
    return out;
  }
  std::string packed(std::size_t count) {
    std::string out;
    for (std::size_t byte = 0; byte < count; ++byte) {
      out.append(!candump_ && pick(10) == 0 ? "." : "").append(hex(2));
    }
    return out;
  }
  std::string print_body(std::size_t count) {
    return join({"   [", std::to_string(count), "] ", printed(count)});
  }
  // A CAN FD frame's length; varied, any count up to 65 bytes.
  std::size_t flexible_length() {
    static constexpr std::size_t lengths[] = {8, 12, 16, 20, 24, 32, 48, 64};
    return candump_ ? lengths[pick(std::size(lengths))] : pick(66);
  }
  // What may follow a log file's data: varied, a stray raw DLC at times.
  std::string data_suffix() { return !candump_ && pick(4) == 0 ? join({"_", hex(1)}) : ""; }

  // Spacing, tabs, CR LF and a missing newline, as logs that went through
  // editors and other tools have them.
  std::string varied(std::string line) {
    if (pick(4) == 0) {
      // Not in the time stamp, whose date holds a space of its own.
      for (std::size_t at = line.find(')') + 1; at < line.size(); ++at) {
        if (line[at] == ' ' && pick(3) == 0) line[at] = '\t';
      }
    }
    if (pick(4) == 0) {
      const std::size_t at = line.find("  ");
      if (at != line.npos) line.insert(at, pick(2) == 0 ? " " : "\t ");
    }
    switch (pick(4)) {
      case 0:
        return join({line, "\r\n"});
      case 1:
        return line;
      default:
        return join({line, "\n"});
    }
  }

  // One to three edits drawn from the ways real logs differ from candump's.
  std::string mutated(std::string line) {
    for (std::size_t edits = 1 + pick(3); edits > 0 && !line.empty(); --edits) {
      const std::size_t at = pick(line.size());
      switch (pick(5)) {
        case 0:
          line.insert(at, 1, interesting());
          break;
        case 1:
          line.erase(at, 1);
          break;
        case 2:
          line[at] = interesting();
          break;
        case 3:
          line.insert(at, pick(2) == 0 ? hex(1 + pick(5)) : pick(2) == 0 ? "0x" : "-");
          break;
        default:
          line.resize(at);
          break;
      }
    }
    return line;
  }

 private:
  char interesting() {
    static constexpr char chars[] = " \t\n\r\v\f\0-+xXeEpP.()[]0123456789aAfFgGnNiI#_RTBE:";
    return pick(4) == 0 ? static_cast<char>(pick(256)) : chars[pick(sizeof chars - 1)];
  }

  template <typename... Values>
  static std::string format(const char* pattern, Values... values) {
    char text[64];
    const int size = std::snprintf(text, sizeof text, pattern, values...);
    return std::string(text, static_cast<std::size_t>(size));
  }

  std::mt19937 random_;
  bool candump_;
  unsigned long long microseconds_ = 1436509053'850870;
};

struct shape {
  const char* name;
  const char* key;  // the benchmark's name of its log of this shape
  std::string (*make)(line_generator&);
};

// Every line shape candump writes, one frame each, before variation: the one
// catalogue of them, which the tests, the fuzz target and the benchmark's
// logs draw on.
inline const shape shapes[] = {
    {"-ta", "ta",
     [](line_generator& g) {
       return join({" ", g.seconds(), "  can0  ", g.standard_id(), g.print_body(8)});
     }},
    {"-ta 29-bit", "ta-29bit",
     [](line_generator& g) {
       return join({" ", g.seconds(), "  can0  ", g.extended_id(), g.print_body(8)});
     }},
    {"-ta other interface", "ta-other",
     [](line_generator& g) {
       return join({" ", g.seconds(), "  ", g.interface(), "  ", g.standard_id(), g.print_body(8)});
     }},
    {"-ta 0-7 bytes", "ta-short",
     [](line_generator& g) {
       return join({" ", g.seconds(), "  can0  ", g.standard_id(), g.print_body(g.pick(8))});
     }},
    {"-ta -a", "ta-ascii",
     [](line_generator& g) {
       const std::size_t count = g.pick(9);
       return join({" ", g.seconds(), "  can0  ", g.standard_id(), g.print_body(count), "   '",
                    std::string(count, '.'), "'"});
     }},
    {"-ta CAN FD", "ta-fd",
     [](line_generator& g) {
       static constexpr int lengths[] = {12, 16, 20, 24, 32, 48, 64};
       const int length = lengths[g.pick(std::size(lengths))];
       return join({" ", g.seconds(), "  can0  ", g.standard_id(), "  [", std::to_string(length),
                    "] ", g.printed(static_cast<std::size_t>(length))});
     }},
    {"-ta remote", "ta-remote",
     [](line_generator& g) {
       return join({" ", g.seconds(), "  can0  ", g.standard_id(), "   [",
                    std::to_string(g.pick(9)), "]  remote request"});
     }},
    {"-td", "td",
     [](line_generator& g) {
       return join({" ", g.relative_seconds(), "  can0  ", g.standard_id(), g.print_body(8)});
     }},
    {"-tA", "tA",
     [](line_generator& g) {
       return join({" ", g.date(), "  can0  ", g.standard_id(), g.print_body(g.pick(9))});
     }},
    {"-tA 29-bit", "tA-29bit",
     [](line_generator& g) {
       return join({" ", g.date(), "  can0  ", g.extended_id(), g.print_body(8)});
     }},
    {"-tA other interface", "tA-other",
     [](line_generator& g) {
       return join({" ", g.date(), "  ", g.interface(), "  ", g.standard_id(), g.print_body(8)});
     }},
    {"-x", "x",
     [](line_generator& g) {
       static constexpr const char* blocks[] = {"RX - -", "TX - -", "RX B -", "TX B E", "RX - E"};
       return join({" ", g.seconds(), "  can0  ", blocks[g.pick(5)], "  ",
                    (g.pick(4) == 0 ? g.extended_id() : g.standard_id()), g.print_body(g.pick(9))});
     }},
    {"untimed", "untimed",
     [](line_generator& g) {
       return join({"  can0  ", g.standard_id(), g.print_body(g.pick(9))});
     }},
    {"untimed 29-bit", "untimed-29bit",
     [](line_generator& g) {
       return join({"  can0  ", g.extended_id(), g.print_body(8)});
     }},
    {"untimed other interface", "untimed-other",
     [](line_generator& g) {
       return join({"  ", g.interface(), "  ", g.standard_id(), g.print_body(8)});
     }},
    {"-l", "l",
     [](line_generator& g) {
       return join({g.seconds(), " can0 ", g.standard_id(), "#", g.packed(8)});
     }},
    {"-l 29-bit", "l-29bit",
     [](line_generator& g) {
       return join({g.seconds(), " can0 ", g.extended_id(), "#", g.packed(8)});
     }},
    {"-l other interface", "l-other",
     [](line_generator& g) {
       return join({g.seconds(), " ", g.interface(), " ", g.standard_id(), "#", g.packed(8)});
     }},
    {"-l 0-7 bytes", "l-short",
     [](line_generator& g) {
       return join({g.seconds(), " can0 ", g.standard_id(), "#", g.packed(g.pick(8))});
     }},
    {"-l CAN FD", "l-fd",
     [](line_generator& g) {
       return join({g.seconds(), " can0 ", g.standard_id(), "##", g.hex(1),
                    g.packed(g.flexible_length()), g.data_suffix()});
     }},
    {"-l remote", "l-remote",
     [](line_generator& g) {
       return join(
           {g.seconds(), " can0 ", g.standard_id(), "#R", (g.pick(2) == 0 ? g.hex(1) : "")});
     }},
    {"-l -x", "l-x",
     [](line_generator& g) {
       return join({g.seconds(), " can0 ", g.standard_id(), "#", g.packed(g.pick(9)),
                    (g.pick(2) == 0 ? " R" : " T")});
     }},
    {"-l raw DLC", "l-dlc",
     [](line_generator& g) {
       return join({g.seconds(), " can0 ", g.standard_id(), "#", g.packed(8), "_", g.hex(1)});
     }},
    {"-l error frame", "l-error",
     [](line_generator& g) {
       return join({g.seconds(), " can0 2000", g.hex(4), "#", g.packed(8)});
     }},
    {"comment or blank", "blank",
     [](line_generator& g) {
       return g.pick(2) == 0 ? std::string() : join({"# ", g.hex(g.pick(40))});
     }},
};

// A damaged line that crosses layouts, as no candump writes it but a
// damaged or hand-edited log holds it: the start of one shape's line up to
// a field's edge (a time stamp, an interface...) and the rest of another's
// from one, its body cut or doubled, or a stray "#", "[", "_" or "R".
inline std::string crossed(line_generator& g) {
  const std::string first = shapes[g.pick(std::size(shapes))].make(g);
  const std::string second = shapes[g.pick(std::size(shapes))].make(g);
  const auto field_edge = [&](const std::string& line) {
    std::vector<std::size_t> places = {0, line.size()};
    for (std::size_t at = 0; at < line.size(); ++at) {
      if (std::string_view(" #[()").find(line[at]) != std::string_view::npos) places.push_back(at);
    }
    return places[g.pick(places.size())];
  };
  const std::string body = second.substr(field_edge(second));
  std::string line = join({first.substr(0, field_edge(first)), body});
  switch (g.pick(5)) {
    case 0:
      line += body;
      break;
    case 1:
      line.resize(g.pick(line.size() + 1));
      break;
    case 2:
      line.insert(g.pick(line.size() + 1), 1, "#[_R"[g.pick(4)]);
      break;
    default:
      break;
  }
  return g.varied(line);
}

}  // namespace pluckrow::test
