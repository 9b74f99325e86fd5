// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// Start-up time and memory of desktop programs, each started in turn on the
// X display DISPLAY names (a private one: scripts/desktop.py), runs
// interleaved. For every run it measures, from the moment
// the program's exec() succeeded:
//   mapped  until its top-level window is mapped (MapNotify on the root);
//   first   until the first drawing inside that window (XDamage on the root;
//           for a window with a background colour the server's own fill of
//           the background counts, so this favours such programs);
//   drawn   until the last drawing before 250 ms without any;
// then, idle, its resident and private memory (/proc/PID/smaps_rollup:
// private is clean + dirty, so it counts the pages of libraries that no other
// process maps; dirty is what the program wrote itself), and ends it. It
// prints the medians, and the first program's ratio to each.
//
// With --click, the first program is taken to be lccalc: once idle, "7" is
// typed and OK clicked through XTest, and the time from the mouse press and
// from its release until the three results are drawn is measured (a push
// button acts on the release).
//
// Usage: lc_startup_bench [--runs N] [--click] NAME=COMMAND [NAME=COMMAND...]
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/damage.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "lc/form/layout.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kQuiet = 250ms;  // no drawing for this long: the window is drawn
constexpr auto kIdle = 500ms;   // then wait this long before reading memory
constexpr auto kGiveUp = 20s;   // a program that shows nothing by then has failed

struct Program {
  std::string name;
  std::vector<std::string> argv;
};

struct Run {
  double mappedMs = 0, firstMs = 0, drawnMs = 0;
  double rssKiB = 0, privateKiB = 0, dirtyKiB = 0;
  double pressToDrawnMs = 0, releaseToDrawnMs = 0;  // with --click
};

[[noreturn]] void die(const std::string& message) {
  std::fprintf(stderr, "lc_startup_bench: %s\n", message.c_str());
  std::exit(2);
}

double millisecondsBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

// Starts the program; returns its pid once exec() has succeeded, which a
// close-on-exec pipe tells.
pid_t launch(const Program& program, Clock::time_point* started) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) die("pipe failed");
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    std::vector<char*> argv;
    for (const auto& arg : program.argv) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const int devnull = open("/dev/null", O_WRONLY);
    dup2(devnull, STDOUT_FILENO);
    dup2(devnull, STDERR_FILENO);
    execvp(argv[0], argv.data());
    const char failed = 1;
    (void)!write(fds[1], &failed, 1);
    _exit(127);
  }
  close(fds[1]);
  char failed = 0;
  const ssize_t got = read(fds[0], &failed, 1);  // EOF at exec
  *started = Clock::now();
  close(fds[0]);
  if (got != 0) die("cannot start " + program.argv[0]);
  return pid;
}

// Private and resident memory of a process, in KiB.
void readMemory(pid_t pid, Run* run) {
  std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
  std::string line;
  std::getline(rollup, line);  // the address range that the totals cover
  while (std::getline(rollup, line)) {
    std::istringstream fields(line);
    std::string key;
    double kib = 0;
    fields >> key >> kib;
    if (key == "Rss:") run->rssKiB = kib;
    if (key == "Private_Clean:" || key == "Private_Dirty:") run->privateKiB += kib;
    if (key == "Private_Dirty:") run->dirtyKiB = kib;
  }
}

void stop(pid_t pid) {
  kill(pid, SIGTERM);
  for (int i = 0; i < 200; ++i) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) return;
    usleep(10'000);
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

class Display {
 public:
  Display() {
    connection_ = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection_)) die("cannot connect to the X server");
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    const xcb_query_extension_reply_t* damage = xcb_get_extension_data(connection_, &xcb_damage_id);
    if (damage == nullptr || !damage->present) die("the X server has no DAMAGE extension");
    damageEvent_ = damage->first_event + XCB_DAMAGE_NOTIFY;
    free(xcb_damage_query_version_reply(
        connection_,
        xcb_damage_query_version(connection_, XCB_DAMAGE_MAJOR_VERSION, XCB_DAMAGE_MINOR_VERSION),
        nullptr));
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
    xcb_damage_create(connection_, xcb_generate_id(connection_), root_,
                      XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
    xcb_flush(connection_);
  }
  ~Display() { xcb_disconnect(connection_); }

  // Watches one start of a program until its window is drawn.
  std::optional<Run> watch(Clock::time_point started) {
    Run run;
    std::optional<Clock::time_point> lastDrawing;
    xcb_window_t window = XCB_NONE;
    int16_t& left = left_;
    int16_t& top = top_;
    uint16_t width = 0, height = 0;
    for (;;) {
      const auto now = Clock::now();
      if (now - started > kGiveUp) return std::nullopt;
      if (lastDrawing && now - *lastDrawing >= kQuiet) break;
      auto event = nextEvent(lastDrawing ? *lastDrawing + kQuiet : started + kGiveUp);
      if (!event) continue;
      const auto when = Clock::now();
      const uint8_t type = event->response_type & 0x7f;
      if (type == XCB_MAP_NOTIFY && window == XCB_NONE) {
        auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event.get());
        if (map->override_redirect) continue;
        window = map->window;
        run.mappedMs = millisecondsBetween(started, when);
        auto* geometry =
            xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr);
        if (geometry != nullptr) {
          left = geometry->x, top = geometry->y, width = geometry->width, height = geometry->height;
          free(geometry);
        }
      } else if (type == damageEvent_ && window != XCB_NONE) {
        auto* damage = reinterpret_cast<xcb_damage_notify_event_t*>(event.get());
        const auto& area = damage->area;
        const bool inside = area.x < left + width && area.x + area.width > left &&
                            area.y < top + height && area.y + area.height > top;
        if (!inside) continue;
        if (!lastDrawing) run.firstMs = millisecondsBetween(started, when);
        run.drawnMs = millisecondsBetween(started, when);
        lastDrawing = when;
      }
    }
    return run;
  }

  // Types "7" into lccalc's frequency box, which has the focus, clicks OK,
  // and times the results' drawing from the press and from the release.
  void clickOk(Run* run) {
    using lc::form::ControlId;
    const auto rect = [this](ControlId id) {
      const lc::form::Rect& r = lc::form::control(id).rect;
      return xcb_rectangle_t{static_cast<int16_t>(left_ + r.left),
                             static_cast<int16_t>(top_ + r.top), static_cast<uint16_t>(r.width),
                             static_cast<uint16_t>(r.height)};
    };
    const xcb_keycode_t seven = keycodeOf('7');
    fake(XCB_KEY_PRESS, seven);
    fake(XCB_KEY_RELEASE, seven);
    waitForQuiet(std::nullopt);
    const xcb_rectangle_t ok = rect(ControlId::Ok);
    xcb_test_fake_input(connection_, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root_,
                        static_cast<int16_t>(ok.x + ok.width / 2),
                        static_cast<int16_t>(ok.y + ok.height / 2), 0);
    waitForQuiet(std::nullopt);
    const auto pressed = fake(XCB_BUTTON_PRESS, 1);
    usleep(50'000);  // a short click, as a hand makes
    const auto released = fake(XCB_BUTTON_RELEASE, 1);
    const xcb_rectangle_t top = rect(ControlId::L), bottom = rect(ControlId::LL);
    const xcb_rectangle_t results{top.x, top.y, top.width,
                                  static_cast<uint16_t>(bottom.y + bottom.height - top.y)};
    if (const auto drawn = waitForQuiet(results)) {
      run->pressToDrawnMs = millisecondsBetween(pressed, *drawn);
      run->releaseToDrawnMs = millisecondsBetween(released, *drawn);
    }
  }

  // Drops what earlier programs left in the queue.
  void drain() {
    xcb_flush(connection_);
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) free(event);
  }

 private:
  std::unique_ptr<xcb_generic_event_t, decltype(&free)> nextEvent(Clock::time_point deadline) {
    for (;;) {
      if (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) return {event, &free};
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      if (left <= 0ms) return {nullptr, &free};
      pollfd fd{xcb_get_file_descriptor(connection_), POLLIN, 0};
      if (poll(&fd, 1, static_cast<int>(left.count()) + 1) <= 0) return {nullptr, &free};
    }
  }

  // The time of the last drawing inside `area` (anywhere, if none) before
  // kQuiet without any.
  std::optional<Clock::time_point> waitForQuiet(std::optional<xcb_rectangle_t> area) {
    std::optional<Clock::time_point> last;
    auto quietFrom = Clock::now();
    for (;;) {
      auto event = nextEvent(quietFrom + kQuiet);
      if (!event) return last;
      if ((event->response_type & 0x7f) != damageEvent_) continue;
      const auto& d = reinterpret_cast<xcb_damage_notify_event_t*>(event.get())->area;
      const bool inside = !area || (d.x < area->x + area->width && d.x + d.width > area->x &&
                                    d.y < area->y + area->height && d.y + d.height > area->y);
      if (!inside) continue;
      last = quietFrom = Clock::now();
    }
  }

  Clock::time_point fake(uint8_t type, uint8_t detail) {
    xcb_test_fake_input(connection_, type, detail, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(connection_);
    return Clock::now();
  }

  // The keycode that types `character` without a modifier.
  xcb_keycode_t keycodeOf(char character) {
    const xcb_setup_t* setup = xcb_get_setup(connection_);
    const auto count = static_cast<uint8_t>(setup->max_keycode - setup->min_keycode + 1);
    auto* mapping = xcb_get_keyboard_mapping_reply(
        connection_, xcb_get_keyboard_mapping(connection_, setup->min_keycode, count), nullptr);
    if (mapping == nullptr) die("cannot read the keyboard mapping");
    const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(mapping);
    xcb_keycode_t found = 0;
    for (int k = 0; k < count && found == 0; ++k) {
      if (symbols[k * mapping->keysyms_per_keycode] == static_cast<xcb_keysym_t>(character)) {
        found = static_cast<xcb_keycode_t>(setup->min_keycode + k);
      }
    }
    free(mapping);
    if (found == 0) die(std::string("no key types ") + character);
    return found;
  }

  xcb_connection_t* connection_ = nullptr;
  xcb_window_t root_ = XCB_NONE;
  uint8_t damageEvent_ = 0;
  int16_t left_ = 0, top_ = 0;  // of the window watched last
};

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

template <typename Field>
std::vector<double> column(const std::vector<Run>& runs, Field field) {
  std::vector<double> values;
  for (const auto& run : runs) values.push_back(run.*field);
  return values;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 20;
  bool click = false;
  std::vector<Program> programs;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--runs" && i + 1 < argc) {
      runs = std::atoi(argv[++i]);
      continue;
    }
    if (arg == "--click") {
      click = true;
      continue;
    }
    const auto equals = arg.find('=');
    if (equals == std::string::npos)
      die("usage: lc_startup_bench [--runs N] [--click] NAME=COMMAND...");
    Program program{arg.substr(0, equals), {}};
    std::istringstream words(arg.substr(equals + 1));
    for (std::string word; words >> word;) program.argv.push_back(word);
    programs.push_back(program);
  }
  if (programs.empty() || runs < 1)
    die("usage: lc_startup_bench [--runs N] [--click] NAME=COMMAND...");

  if (std::getenv("DISPLAY") == nullptr) die("no DISPLAY: run it under scripts/desktop.py");
  std::vector<std::vector<Run>> results(programs.size());
  {
    Display display;
    // Round r starts with program r mod n, so no program always goes first.
    for (int round = 0; round < runs; ++round) {
      for (std::size_t k = 0; k < programs.size(); ++k) {
        const std::size_t p = (static_cast<std::size_t>(round) + k) % programs.size();
        display.drain();
        Clock::time_point started;
        const pid_t pid = launch(programs[p], &started);
        std::optional<Run> run = display.watch(started);
        if (!run) die(programs[p].name + " showed no window");
        usleep(std::chrono::duration_cast<std::chrono::microseconds>(kIdle).count());
        readMemory(pid, &*run);
        if (click && p == 0) display.clickOk(&*run);
        stop(pid);
        results[p].push_back(*run);
      }
      if (isatty(STDERR_FILENO)) std::fprintf(stderr, "\rround %d of %d", round + 1, runs);
    }
    if (isatty(STDERR_FILENO)) std::fprintf(stderr, "\n");
  }

  std::printf("Medians of %d runs each (times in ms from exec; memory in MiB once idle)\n\n", runs);
  const auto& ours = results.front();
  const std::string& name = programs.front().name;
  std::printf("%-12s %8s %8s %8s %8s %8s %8s   %s / this: mapped / drawn / private / dirty\n",
              "program", "mapped", "first", "drawn", "RSS", "private", "dirty", name.c_str());
  const double oursMapped = median(column(ours, &Run::mappedMs));
  const double oursDrawn = median(column(ours, &Run::drawnMs));
  const double oursPrivate = median(column(ours, &Run::privateKiB));
  const double oursDirty = median(column(ours, &Run::dirtyKiB));
  for (std::size_t p = 0; p < programs.size(); ++p) {
    const auto& r = results[p];
    const double mapped = median(column(r, &Run::mappedMs));
    const double drawn = median(column(r, &Run::drawnMs));
    const double privateKiB = median(column(r, &Run::privateKiB));
    const double dirtyKiB = median(column(r, &Run::dirtyKiB));
    std::printf("%-12s %8.1f %8.1f %8.1f %8.1f %8.1f %8.1f   %.2f / %.2f / %.2f / %+.1f MiB\n",
                programs[p].name.c_str(), mapped, median(column(r, &Run::firstMs)), drawn,
                median(column(r, &Run::rssKiB)) / 1024, privateKiB / 1024, dirtyKiB / 1024,
                oursMapped / mapped, oursDrawn / drawn, oursPrivate / privateKiB,
                (oursDirty - dirtyKiB) / 1024);
  }
  if (click) {
    std::printf(
        "\nA click of OK in %s, \"7\" typed (median ms until the three results are drawn):\n"
        "  from the press %.1f, from the release %.1f\n",
        name.c_str(), median(column(ours, &Run::pressToDrawnMs)),
        median(column(ours, &Run::releaseToDrawnMs)));
  }
  return 0;
}
