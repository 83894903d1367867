// quillet-host reads every number by the rule all our programs share
// (core/cli/number_text.h).
#pragma once

#include "core/cli/number_text.h"

namespace quillet_host {

using quillet::NumberText;
using quillet::readNumber;
using quillet::readWholeNumber;

}  // namespace quillet_host
