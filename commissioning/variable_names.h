// Variable names from a program's notes, as the notes library reads them.
#pragma once

#include "editor/rtf/variable_names.h"

namespace vx::commissioning {

using rtf::load_variable_names;
using rtf::parse_variable_names;

}  // namespace vx::commissioning
