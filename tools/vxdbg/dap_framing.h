// Debug Adapter Protocol framing: "Content-Length: N" headers, a blank line, N bytes.
#pragma once

#include <istream>
#include <optional>
#include <string>

namespace vx::vxdbg {

// One message's body, or nothing at the end of the input. A header block without a usable
// Content-Length gives a body of "" and `problem` set; the stream is then past the block.
std::optional<std::string> read_message(std::istream& in, std::string& problem);
std::string frame_message(const std::string& body);

}  // namespace vx::vxdbg
