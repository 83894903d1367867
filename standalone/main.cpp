// quillet-k3: Quillet K3 as a JACK client, with its panel or without (a pedal).
#include <string>
#include <vector>

#include "standalone/program.h"

int main(int argc, char** argv) {
  return quillet::standalone::runStandalone(std::vector<std::string>(argv + 1, argv + argc));
}
