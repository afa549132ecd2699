// The floor a camera with a fixed time per request sets: <count> sleeps of <microseconds>
// each, back to back, with the same call the simulated camera waits with. A full update timed
// against this run shows what the updater, the library and the model add on top.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: sleep_baseline <count> <microseconds>\n");
    return 2;
  }
  char* end = nullptr;
  const long long count = std::strtoll(argv[1], &end, 10);
  if (*end != '\0' || count < 0) return 2;
  const long long micros = std::strtoll(argv[2], &end, 10);
  if (*end != '\0' || micros < 0) return 2;
  const std::chrono::microseconds delay(micros);
  for (long long i = 0; i < count; ++i) std::this_thread::sleep_for(delay);
  return 0;
}
