// wubble-scope losing its audio output while a sound plays: it plays to a
// PulseAudio server of the test's own, which the test kills. The program
// must go on running and answering, its play position must fall to 0 (the
// scope shows no trace, even after "Play"), it must not print in a loop nor
// spin, it says the loss once, it stays silent when the server comes back,
// and it ends with status 0.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "program_driver.h"
#include "x_session.h"

namespace {

constexpr int kSeedFieldX = 89, kSeedFieldY = 11, kCodeFieldX = 97, kCodeFieldY = 117;
constexpr int kPlayX = 177, kPlayY = 11, kMutateX = 34, kMutateY = 31;

// A PulseAudio server with a null sink, listening on a socket of its own,
// ended with the test however the test ends.
class SoundServer {
 public:
  SoundServer() {
    char dir[] = "/tmp/wubble-pulse-XXXXXX";
    if (mkdtemp(dir) != nullptr) dir_ = dir;
    socket_ = dir_ + "/native";
    std::ofstream(dir_ + "/client.conf") << "autospawn = no\n";
  }
  ~SoundServer() {
    Kill();
    std::error_code ignored;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
  }

  // Starts the server and waits until it takes connections.
  bool Start() {
    std::filesystem::create_directories(dir_ + "/run");
    std::filesystem::permissions(dir_ + "/run", std::filesystem::perms::owner_all);
    std::vector<std::string> args = {
        WUBBLE_PULSEAUDIO, "--daemonize=no", "-n", "--exit-idle-time=-1", "--use-pid-file=no",
        "--log-target=stderr", "--log-level=error",
        "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + socket_,
        "-L", "module-null-sink"};
    std::vector<char *> argv;
    for (std::string &a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    pid_t parent = getpid();
    pid_ = fork();
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (getppid() != parent) _exit(127);
      setenv("HOME", dir_.c_str(), 1);
      setenv("XDG_RUNTIME_DIR", (dir_ + "/run").c_str(), 1);
      execv(argv[0], argv.data());
      _exit(127);
    }
    double give_up = Now() + 20;
    while (!TakesConnections()) {
      if (Now() > give_up || pid_ < 0 || waitpid(pid_, nullptr, WNOHANG) != 0) return false;
      usleep(20000);
    }
    return true;
  }

  void Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  // What a client needs in its environment to play to this server only.
  std::vector<std::string> ClientEnvironment() const {
    return {"ALSOFT_DRIVERS=pulse", "PULSE_SERVER=unix:" + socket_,
            "PULSE_CLIENTCONFIG=" + dir_ + "/client.conf", "PULSE_RUNTIME_PATH=" + dir_ + "/run"};
  }

 private:
  bool TakesConnections() const {
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socket_.c_str(), sizeof address.sun_path - 1);
    bool ok = connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    close(fd);
    return ok;
  }

  std::string dir_;
  std::string socket_;
  pid_t pid_ = -1;
};

// Processor time of all the program's threads, in clock ticks.
long ProcessTicks(pid_t pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(file, line);
  size_t after = line.rfind(')');
  if (after == std::string::npos) return -1;
  long utime = 0, stime = 0;
  std::sscanf(line.c_str() + after + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %ld %ld", &utime,
              &stime);
  return utime + stime;
}

// Waits up to `seconds` for the scope to show a trace (`want` true) or none.
bool WaitForTrace(ProgramDriver &driver, bool want, double seconds) {
  double give_up = Now() + seconds;
  do {
    std::vector<uint8_t> pixels = driver.ScopePixels();
    if (!pixels.empty() && (TracePixels(pixels) > 0) == want) return true;
    usleep(20000);
  } while (Now() < give_up);
  return false;
}

TEST(LostDevice, ScopeGoesOnSilentlyWhenItsSoundServerDies) {
  SoundServer server;
  ASSERT_TRUE(server.Start()) << "the test's PulseAudio server did not come up";
  ProgramDriver driver;
  ASSERT_TRUE(driver.Start(WUBBLE_SCOPE_PROGRAM, server.ClientEnvironment()));

  // Seed 13 makes a sound of the longest length, about 2.9 s.
  ASSERT_TRUE(driver.Xdotool({"mousemove", "--window", "WINDOW", std::to_string(kSeedFieldX),
                              std::to_string(kSeedFieldY), "click", "--delay", "0", "1", "key",
                              "--clearmodifiers", "ctrl+a", "1", "3"}));
  std::string code;
  ASSERT_TRUE(driver.ReadField(kCodeFieldX, kCodeFieldY, &code));
  ASSERT_EQ(code, "CreateWubble(13,0,5,1)");
  double started = Now();
  ASSERT_TRUE(WaitForTrace(driver, true, 10)) << "the sound never played through the server";
  const double to_trace = Now() - started;
  std::printf("lost device: trace shown %.2f s after the start\n", to_trace);
  // Long enough for a trace to show on a live device after a start.
  const double watch = std::min(8.0, std::max(2.0, 2 * to_trace));

  server.Kill();
  double killed = Now();
  ASSERT_TRUE(WaitForTrace(driver, false, 10)) << "the play position stayed above 0";
  std::printf("lost device: no trace %.2f s after the server was killed\n", Now() - killed);

  // "Play" restarts nothing on a lost device: the position stays 0. The
  // loss is said once, when a sound fails to start.
  ASSERT_TRUE(driver.Click(kPlayX, kPlayY));
  ASSERT_TRUE(driver.Settle());
  const std::string output_at_loss = driver.Output();
  const std::string line = "wubble-scope: no sound device; sounds are made but not played\n";
  size_t at = output_at_loss.find(line);
  EXPECT_NE(at, std::string::npos) << output_at_loss;
  EXPECT_EQ(output_at_loss.find(line, at + 1), std::string::npos) << output_at_loss;
  EXPECT_FALSE(WaitForTrace(driver, true, watch)) << "a trace after Play on the lost device";

  // Still answering: every control still regenerates and writes its texts.
  ASSERT_TRUE(driver.Click(kMutateX, kMutateY));
  ASSERT_TRUE(driver.ReadField(kCodeFieldX, kCodeFieldY, &code));
  EXPECT_EQ(code, "CreateWubble(13,1,5,1)");

  // Idle on the lost device, it neither spins nor prints.
  const long ticks_per_second = sysconf(_SC_CLK_TCK);
  long before = ProcessTicks(driver.pid());
  double from = Now();
  usleep(1000000);
  long used = ProcessTicks(driver.pid()) - before;
  double seconds = Now() - from;
  std::printf("lost device: %.0f%% of a processor while idle\n", 100.0 * used / ticks_per_second / seconds);
  EXPECT_LE(used, long(ticks_per_second * seconds / 4));
  for (int k = 0; k < 20; ++k) ASSERT_TRUE(driver.Click(kPlayX, kPlayY));
  ASSERT_TRUE(driver.Settle());
  const std::string output = driver.Output();
  EXPECT_EQ(output, output_at_loss) << "printed after the loss";
  EXPECT_LT(output.size(), 1024u) << output;
  std::printf("lost device: %zu bytes of output in all%s%s\n", output.size(), output.empty() ? "" : ":\n",
              output.c_str());

  // The server back: nothing reopens the device, and nothing breaks.
  ASSERT_TRUE(server.Start());
  ASSERT_TRUE(driver.Click(kPlayX, kPlayY));
  ASSERT_TRUE(driver.Click(kMutateX, kMutateY));
  ASSERT_TRUE(driver.ReadField(kCodeFieldX, kCodeFieldY, &code));
  EXPECT_EQ(code, "CreateWubble(13,2,5,1)");
  EXPECT_FALSE(WaitForTrace(driver, true, watch)) << "a trace after the server came back";

  int status = -1;
  EXPECT_TRUE(driver.CloseAndExit(30, &status)) << "wait status " << status;
  std::printf("lost device: wait status %d\n", status);
}

}  // namespace
