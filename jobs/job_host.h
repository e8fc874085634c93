#pragma once
// The jobs talk to whoever runs them through these small interfaces only, so
// that the window, the command line and the tests drive the very same code.
#include <cstdint>
#include <string>
#include <string_view>

#include "text/elapsed.h"

namespace qv::jobs {

// The list a job works through: the pack list of sources or the unpack list
// of packages. A job takes the count once and fetches each item by position
// when its turn comes; a position past the end gives an empty text.
class ItemList {
 public:
  virtual ~ItemList() = default;
  virtual int count() const = 0;
  virtual std::string item(int position) const = 0;
  virtual void clear() = 0;
};

// Where the job's log lines go, each appended at the end as it happens.
// Lines are UTF-8 and end in "\r\n"; what they quote from a package (its
// count text, a name that does not convert) is shown as stored.
class LogSink {
 public:
  virtual ~LogSink() = default;
  virtual void append(std::string_view text) = 0;
};

// Lets the window handle what is waiting (repaint, input) in the middle of a
// job. A command-line caller may do nothing here.
class EventPump {
 public:
  virtual ~EventPump() = default;
  virtual void process_pending_events() = 0;
};

// Hears how far the copying of contents has come, for a progress display.
// Bytes are those of member contents: for packing, all sources together; for
// unpacking, one package at a time.
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void start(std::uint64_t total_bytes) = 0;
  virtual void advance(std::string_view member, std::uint64_t bytes) = 0;
  virtual void finish() = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual text::ClockReading now() = 0;
};

struct JobHost {
  ItemList& list;
  LogSink& log;
  EventPump& events;
  Clock& clock;
  ProgressSink* progress = nullptr;  // optional
};

// The clock on the wall.
class WallClock final : public Clock {
 public:
  text::ClockReading now() override { return text::read_wall_clock(); }
};

}  // namespace qv::jobs
