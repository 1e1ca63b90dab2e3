#include "platform/console_input.h"

namespace korvan {

std::atomic<KeyInput*> ConsoleInput{nullptr};

bool WaitForEnter(KeyInput& input) {
  while (true) {
    KeyRead key = input.ReadKey(-1);
    if (key.status == KeyRead::kEnd) return false;
    if (key.status == KeyRead::kKey && key.code == kKeyEnter) return true;
  }
}

}  // namespace korvan
