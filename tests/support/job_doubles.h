#pragma once
// Stand-ins for the window around a job: a list of texts, a log that keeps
// every line, an event pump that can act in the middle of a job, and a clock
// that reads what the test says.
#include <functional>
#include <string>
#include <vector>

#include "jobs/job_host.h"

namespace qv::testing {

class VectorList final : public jobs::ItemList {
 public:
  explicit VectorList(std::vector<std::string> items = {}) : items(std::move(items)) {}
  int count() const override { return static_cast<int>(items.size()); }
  std::string item(int position) const override {
    return position >= 0 && position < count() ? items[static_cast<std::size_t>(position)] : std::string();
  }
  void clear() override { items.clear(); }
  std::vector<std::string> items;
};

class StringLog final : public jobs::LogSink {
 public:
  void append(std::string_view text) override { lines.emplace_back(text); }
  std::string text() const {
    std::string all;
    for (const auto& line : lines) all += line;
    return all;
  }
  std::vector<std::string> lines;
};

class HookPump final : public jobs::EventPump {
 public:
  void process_pending_events() override {
    ++calls;
    if (hook) hook(calls);
  }
  int calls = 0;
  std::function<void(int call)> hook;
};

class FixedClock final : public jobs::Clock {
 public:
  text::ClockReading now() override { return reading; }
  text::ClockReading reading{2026, 12, 11, 10, 0, 3};
};

// Everything a job needs, started at 10:00:00 and ending at 10:00:03.
struct FakeHost {
  VectorList list;
  StringLog log;
  HookPump events;
  FixedClock clock;
  jobs::JobHost host{list, log, events, clock};
  text::ClockReading start{2026, 12, 11, 10, 0, 0};
};

}  // namespace qv::testing
