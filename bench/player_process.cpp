// The whole player process as a user runs it: kdplayer plays a 704 × 576 AVC recording with
// sound and captions at 1 x for 10 s under Xvfb; its processor time (user + system, from wait4)
// as a share of one core, and the time from start to the first picture shown
// (KD_TRACE_FIRST_PICTURE), best and median of several warm starts. Sound goes to a private
// PulseAudio null sink (scripts/with-null-sink) where one can run, else to the null device.
// Without Xvfb or kdplayer it says so and exits 0.
// Usage: bench_player_process [SECONDS [STARTS]]
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr double kShareTarget = 0.10;        // of one core
constexpr double kFirstPictureTarget = 150;  // ms, warm
// Set for the run of this benchmark inside the private sound server.
constexpr const char* kInnerMark = "KD_BENCH_PLAYER_INNER";

using Clock = std::chrono::steady_clock;

#ifdef KD_KDPLAYER
const char* const kPlayer = KD_KDPLAYER;
#else
const char* const kPlayer = nullptr;
#endif
#ifdef KD_WITH_NULL_SINK
const char* const kWithNullSink = KD_WITH_NULL_SINK;
#else
const char* const kWithNullSink = nullptr;
#endif

bool executable(const char* path) {
  return path && ::access(path, X_OK) == 0;
}

bool onPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    const size_t end = std::min(dirs.find(':', start), dirs.size());
    if (executable((dirs.substr(start, end - start) + "/" + name).c_str())) return true;
    start = end + 1;
  }
  return false;
}

// Waits for `pid` at most `limit`, killing it after; false when it had to be killed.
bool reap(pid_t pid, Clock::duration limit, int& status, rusage& usage) {
  const auto deadline = Clock::now() + limit;
  for (;;) {
    const pid_t got = ::wait4(pid, &status, WNOHANG, &usage);
    if (got == pid) return true;
    if (got < 0) return false;
    if (Clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::wait4(pid, &status, 0, &usage);
      return false;
    }
    ::usleep(5000);
  }
}

// A process's processor time so far, in seconds (the X server's, which draws for the player).
double processSeconds(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string stat((std::istreambuf_iterator<char>(in)), {});
  const size_t close = stat.rfind(')');
  if (close == std::string::npos) return 0;
  std::vector<std::string> fields;
  size_t at = close + 2;
  while (at < stat.size()) {
    const size_t end = std::min(stat.find(' ', at), stat.size());
    fields.push_back(stat.substr(at, end - at));
    at = end + 1;
  }
  // utime and stime are fields 14 and 15 of the line, 12 and 13 after the name.
  if (fields.size() < 13) return 0;
  return (std::atof(fields[11].c_str()) + std::atof(fields[12].c_str())) /
         double(sysconf(_SC_CLK_TCK));
}

struct Xvfb {
  pid_t pid = -1;
  int readEnd = -1;
  std::string display;

  bool start() {
    int fds[2];
    if (::pipe(fds) != 0) return false;
    pid = ::fork();
    if (pid == 0) {
      ::close(fds[0]);
      const int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, 1);
      ::dup2(null, 2);
      const std::string fd = std::to_string(fds[1]);
      ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1920x1200x24",
               "-nolisten", "tcp", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(fds[1]);
    // Xvfb writes its display number and a newline once it accepts connections. The pipe stays
    // open while it runs: a write to a closed pipe is fatal to it.
    readEnd = fds[0];
    ::fcntl(readEnd, F_SETFD, FD_CLOEXEC);
    std::string number;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (pid > 0 && number.find('\n') == std::string::npos && Clock::now() < deadline) {
      pollfd p{readEnd, POLLIN, 0};
      char got[16];
      if (::poll(&p, 1, 100) != 1) continue;
      const ssize_t n = ::read(readEnd, got, sizeof got);
      if (n <= 0) break;
      number.append(got, size_t(n));
    }
    if (number.find('\n') == std::string::npos) return false;
    display = ":" + number.substr(0, number.find('\n'));
    return true;
  }
  ~Xvfb() {
    if (readEnd >= 0) ::close(readEnd);
    if (pid <= 0) return;
    ::kill(pid, SIGTERM);
    int status;
    rusage usage;
    if (!reap(pid, std::chrono::seconds(5), status, usage)) ::kill(pid, SIGKILL);
  }
};

struct Run {
  bool finished = false;
  int status = -1;
  double wall = 0;  // seconds from fork to exit
  double user = 0, system = 0;
  std::string log;  // standard error
};

Run runPlayer(const std::string& display, const std::string& recording, const std::string& grab,
              int waitMs, const std::string& logPath) {
  Run run;
  const auto start = Clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    const int log = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(null, 1);
    ::dup2(log, 2);
    ::setenv("DISPLAY", display.c_str(), 1);
    ::unsetenv("QT_QPA_PLATFORM");
    ::setenv("KD_TRACE_FIRST_PICTURE", "1", 1);
    const std::string wait = std::to_string(waitMs);
    ::execl(kPlayer, kPlayer, "--grab", grab.c_str(), "--wait", wait.c_str(), recording.c_str(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  if (pid < 0) return run;
  rusage usage{};
  run.finished =
      reap(pid, std::chrono::milliseconds(waitMs) + std::chrono::seconds(30), run.status, usage);
  run.wall = std::chrono::duration<double>(Clock::now() - start).count();
  run.user = double(usage.ru_utime.tv_sec) + usage.ru_utime.tv_usec / 1e6;
  run.system = double(usage.ru_stime.tv_sec) + usage.ru_stime.tv_usec / 1e6;
  std::ifstream in(logPath);
  run.log.assign((std::istreambuf_iterator<char>(in)), {});
  return run;
}

bool exitedWith(const Run& run, int code) {
  return run.finished && WIFEXITED(run.status) && WEXITSTATUS(run.status) == code;
}

// "first picture: N ms" on the player's standard error; −1 when missing.
double firstPictureMs(const std::string& log) {
  const size_t at = log.find("first picture: ");
  return at == std::string::npos ? -1 : std::atof(log.c_str() + at + 15);
}

// Runs this benchmark again inside a private sound server; false when none can run here.
bool rerunWithSound(int argc, char** argv, int& exitCode) {
  if (!executable(kWithNullSink)) return false;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setenv(kInnerMark, "1", 1);
    std::vector<char*> args{const_cast<char*>(kWithNullSink), const_cast<char*>("--")};
    for (int i = 0; i < argc; ++i) args.push_back(argv[i]);
    args.push_back(nullptr);
    ::execv(kWithNullSink, args.data());
    ::_exit(77);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 77) return false;
  exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 1;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 10;
  const int starts = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
  if (!executable(kPlayer)) {
    std::printf("player process: skipped (kdplayer is not built)\n");
    return 0;
  }
  if (!onPath("Xvfb")) {
    std::printf("player process: skipped (no Xvfb; install the xvfb package)\n");
    return 0;
  }
  if (!std::getenv(kInnerMark)) {
    int exitCode = 0;
    if (rerunWithSound(argc, argv, exitCode)) return exitCode;
  }
  std::string sound = "PulseAudio null sink";
  if (std::getenv("PULSE_SERVER")) {
    ::unsetenv("KD_AUDIO_SINK");
  } else {
    sound = "null sound device (no sound server here)";
    ::setenv("KD_AUDIO_SINK", "null", 1);
  }

  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("kd-bench-player-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string recording = (dir / "gate.kdz").string();
  // 704 × 576 AVC with G.726 sound, every frame flagged as the recorder does; two seconds more
  // than the play time so playback never reaches the end.
  const int blocks = int(seconds) + 2;
  const std::string synth = std::string(KD_KDTOOL) +
                            " synth --format 3 --codec avc --resolution 137 --audio g726" +
                            " --extra-flags 32768 --camera-name Gate --blocks " +
                            std::to_string(blocks) + " " + recording + " >/dev/null 2>&1";
  if (std::system(synth.c_str()) != 0) {
    std::printf("player process: skipped (the generator failed: %s)\n", synth.c_str());
    std::filesystem::remove_all(dir);
    return 0;
  }

  int result = 0;
  {
    Xvfb x;
    if (!x.start()) {
      std::printf("player process: skipped (Xvfb did not start)\n");
      std::filesystem::remove_all(dir);
      return 0;
    }
    const std::string grab = (dir / "grab.png").string(), log = (dir / "player.log").string();
    std::printf("player process, 704 x 576 AVC with sound and captions at 1 x, Xvfb %s, %s\n",
                x.display.c_str(), sound.c_str());

    const double xBefore = processSeconds(x.pid);
    const Run play = runPlayer(x.display, recording, grab, int(seconds * 1000), log);
    const double xSeconds = processSeconds(x.pid) - xBefore;
    if (!exitedWith(play, 0)) {
      std::printf("the player failed (status %d%s):\n%s", play.status,
                  play.finished ? "" : ", killed after its time", play.log.c_str());
      result = 1;
    } else {
      const double share = (play.user + play.system) / play.wall;
      std::printf(
          "  playing %.0f s: processor time %.2f s (user %.2f s, system %.2f s) over %.2f s: "
          "%.1f%% of one core (target below %.0f%%)%s\n",
          seconds, play.user + play.system, play.user, play.system, play.wall, 100 * share,
          100 * kShareTarget, share < kShareTarget ? "" : "  ** over target **");
      std::printf("  the X server meanwhile: %.2f s of processor time\n", xSeconds);
    }

    // Warm starts: the cache holds the player, its libraries and the recording by now.
    std::vector<double> firsts;
    for (int i = 0; i < starts && result == 0; ++i) {
      // As a user starts it again: not while the servers still tear down the last instance's
      // window and sound stream, which would be timed as this start's.
      ::usleep(500 * 1000);
      const Run start = runPlayer(x.display, recording, grab, 300, log);
      const double ms = firstPictureMs(start.log);
      if (!exitedWith(start, 0) || ms < 0) {
        std::printf("  first picture: not reported (status %d):\n%s", start.status,
                    start.log.c_str());
        result = 1;
        break;
      }
      firsts.push_back(ms);
    }
    if (!firsts.empty()) {
      std::sort(firsts.begin(), firsts.end());
      const double median = firsts.size() % 2
                                ? firsts[firsts.size() / 2]
                                : (firsts[firsts.size() / 2 - 1] + firsts[firsts.size() / 2]) / 2;
      std::printf(
          "  first picture shown: best %.0f ms, median %.0f ms, worst %.0f ms over %zu warm "
          "starts (target below %.0f ms)%s\n",
          firsts.front(), median, firsts.back(), firsts.size(), kFirstPictureTarget,
          median < kFirstPictureTarget ? "" : "  ** over target **");
    }
  }
  std::filesystem::remove_all(dir);
  return result;
}
