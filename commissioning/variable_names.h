// Variable names from a program's notes, as the notes library reads them.
#pragma once

#include "notes/variable_names.h"

namespace vx::commissioning {

using notes::load_variable_names;
using notes::parse_variable_names;

}  // namespace vx::commissioning
