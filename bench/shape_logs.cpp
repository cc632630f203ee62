#include "shape_logs.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <random>

namespace pluckrow::bench {
namespace {

class line_maker {
 public:
  // Time stamps as -ta prints them, and as -td and -tz print them.
  std::string absolute() {
    microseconds_ += 100 + random_() % 900;
    return format("(%010llu.%06llu)", microseconds_ / 1'000'000, microseconds_ % 1'000'000);
  }
  std::string relative() {
    const unsigned long long delta = random_() % 2'000'000;
    return format("(%03llu.%06llu)", delta / 1'000'000, delta % 1'000'000);
  }
  std::string date() {
    microseconds_ += 100 + random_() % 900;
    return format("(2015-07-10 08:%02llu:%02llu.%06llu)", microseconds_ / 60'000'000 % 60,
                  microseconds_ / 1'000'000 % 60, microseconds_ % 1'000'000);
  }
  std::string standard_id() {
    static constexpr const char* ids[] = {"101", "102", "1A0", "7DF", "2F3", "102"};
    return ids[random_() % 6];
  }
  std::string extended_id() { return format("%08X", random_() & 0x1FFFFFFF); }
  std::size_t length(std::size_t below) { return random_() % below; }
  // `count` bytes as the print layout shows them, or packed as in a log file.
  std::string printed_bytes(std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) out += format(" %02X", random_() & 0xFF);
    return out;
  }
  std::string packed_bytes(std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) out += format("%02X", random_() & 0xFF);
    return out;
  }
  std::string ascii(std::size_t count) {
    std::string out = "   '";
    for (std::size_t i = 0; i < count; ++i) {
      const char c = static_cast<char>(random_() % 128);
      out += c >= 0x20 && c < 0x7F ? c : '.';
    }
    out += '\'';
    return out;
  }
  std::uint32_t next() { return static_cast<std::uint32_t>(random_()); }

 private:
  template <typename... Values>
  static std::string format(const char* pattern, Values... values) {
    char text[64];
    const int size = std::snprintf(text, sizeof text, pattern, values...);
    return std::string(text, static_cast<std::size_t>(size));
  }

  std::mt19937 random_{1};
  unsigned long long microseconds_ = 1436509053'850870;
};

using maker = std::function<std::string(line_maker&)>;

// Concatenation without operator+ chains, which GCC 12 misreads (-Wrestrict).
std::string join(std::initializer_list<std::string_view> parts) {
  std::string out;
  for (const std::string_view part : parts) out += part;
  return out;
}

std::string print_line(line_maker& m, const std::string& start, const std::string& id,
                       std::size_t count) {
  return join({start, "  ", id, "   [", std::to_string(count), "] ", m.printed_bytes(count)});
}

const std::vector<std::pair<std::string_view, maker>>& shapes() {
  static const std::vector<std::pair<std::string_view, maker>> all = {
      {"ta",
       [](line_maker& m) {
         return print_line(m, join({" ", m.absolute(), "  can0"}), m.standard_id(), 8);
       }},
      {"ta-29bit",
       [](line_maker& m) {
         return print_line(m, join({" ", m.absolute(), "  can0"}), m.extended_id(), 8);
       }},
      {"ta-can1",
       [](line_maker& m) {
         return print_line(m, join({" ", m.absolute(), "  can1"}), m.standard_id(), 8);
       }},
      {"ta-vcan0",
       [](line_maker& m) {
         return print_line(m, join({" ", m.absolute(), "  vcan0"}), m.standard_id(), 8);
       }},
      {"ta-short",
       [](line_maker& m) {
         return print_line(m, join({" ", m.absolute(), "  can0"}), m.standard_id(), m.length(8));
       }},
      {"ta-ascii",
       [](line_maker& m) {
         return join(
             {print_line(m, join({" ", m.absolute(), "  can0"}), m.standard_id(), 8), m.ascii(8)});
       }},
      {"ta-fd",
       [](line_maker& m) {
         return join(
             {" ", m.absolute(), "  can0  ", m.standard_id(), "  [64] ", m.printed_bytes(64)});
       }},
      {"ta-remote",
       [](line_maker& m) {
         return join({" ", m.absolute(), "  can0  ", m.standard_id(), "   [0]  remote request"});
       }},
      {"td",
       [](line_maker& m) {
         return print_line(m, join({" ", m.relative(), "  can0"}), m.standard_id(), 8);
       }},
      {"tA",
       [](line_maker& m) {
         return print_line(m, join({" ", m.date(), "  can0"}), m.standard_id(), 8);
       }},
      {"x",
       [](line_maker& m) {
         return print_line(m, join({" ", m.absolute(), "  can0  RX - - "}), m.standard_id(), 8);
       }},
      {"untimed-11bit", [](line_maker& m) { return print_line(m, "  can0", m.standard_id(), 8); }},
      {"untimed-29bit", [](line_maker& m) { return print_line(m, "  can0", m.extended_id(), 8); }},
      {"l",
       [](line_maker& m) {
         return join({m.absolute(), " can0 ", m.standard_id(), "#", m.packed_bytes(8)});
       }},
      {"l-29bit",
       [](line_maker& m) {
         return join({m.absolute(), " can0 ", m.extended_id(), "#", m.packed_bytes(8)});
       }},
      {"l-vcan0",
       [](line_maker& m) {
         return join({m.absolute(), " vcan0 ", m.standard_id(), "#", m.packed_bytes(8)});
       }},
      {"l-slcan0",
       [](line_maker& m) {
         return join({m.absolute(), " slcan0 ", m.extended_id(), "#", m.packed_bytes(8)});
       }},
      {"l-can1",
       [](line_maker& m) {
         return join({m.absolute(), " can1 ", m.standard_id(), "#", m.packed_bytes(8)});
       }},
      {"l-short",
       [](line_maker& m) {
         return join({m.absolute(), " can0 ", m.standard_id(), "#", m.packed_bytes(m.length(8))});
       }},
      {"l-fd",
       [](line_maker& m) {
         static constexpr std::size_t lengths[] = {8, 12, 16, 20, 24, 32, 48, 64};
         return join({m.absolute(), " can0 ", m.standard_id(), "##", std::to_string(m.next() % 4),
                      m.packed_bytes(lengths[m.length(8)])});
       }},
      {"l-remote",
       [](line_maker& m) {
         return join({m.absolute(), " can0 ", m.standard_id(), "#R"});
       }},
      {"l-x",
       [](line_maker& m) {
         return join({m.absolute(), " can0 ", m.standard_id(), "#", m.packed_bytes(8),
                      (m.next() % 2 == 0 ? " R" : " T")});
       }},
      {"l-error",
       [](line_maker& m) {
         char id[16];
         std::snprintf(id, sizeof id, "2000%04X", m.next() & 0x1FF);
         return join({m.absolute(), " can0 ", id, "#", m.packed_bytes(8)});
       }},
      // Half the lines odd: blank, other interfaces, 29-bit identifiers,
      // short frames, lines near 1013 bytes.
      {"messy",
       [](line_maker& m) {
         switch (m.next() % 10) {
           case 0:
             return std::string();
           case 1:
             return print_line(m, join({" ", m.absolute(), "  can1"}), m.standard_id(), 8);
           case 2:
             return print_line(m, join({" ", m.absolute(), "  can0"}), m.extended_id(), 8);
           case 3:
             return print_line(m, join({" ", m.absolute(), "  can0"}), m.standard_id(),
                               m.length(3));
           case 4:
             return join({"# ", std::string(1000 + m.length(20), 'x')});
           default:
             return print_line(m, join({" ", m.absolute(), "  can0"}), m.standard_id(), 8);
         }
       }},
  };
  return all;
}

}  // namespace

std::vector<std::string_view> shape_names() {
  std::vector<std::string_view> names;
  for (const auto& [name, make] : shapes()) names.push_back(name);
  return names;
}

std::string generate_shape_log(std::string_view name, std::size_t lines) {
  for (const auto& [shape, make] : shapes()) {
    if (shape != name) continue;
    line_maker maker;
    std::string log;
    for (std::size_t i = 0; i < lines; ++i) log.append(make(maker)).push_back('\n');
    return log;
  }
  return {};
}

}  // namespace pluckrow::bench
