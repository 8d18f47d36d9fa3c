// vxc --lsp: a Language Server Protocol server over standard input and output,
// answering from the language library (the compiler's own diagnostics).
#pragma once

#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace vx::vxc {

class LspServer {
public:
    explicit LspServer(std::ostream& out);
    ~LspServer();

    // Handles one message's content. False once `exit` has come.
    bool handle(std::string_view content);
    // Answers a message whose header could not be read.
    void reject_header(const std::string& why);
    // 0 after shutdown then exit; 1 when the session ended any other way.
    int exit_code() const { return shut_down_ ? 0 : 1; }

private:
    struct Document;

    nlohmann::json dispatch(const std::string& method, const nlohmann::json& params);
    void open(const nlohmann::json& params);
    void change(const nlohmann::json& params);
    void publish_diagnostics(const std::string& uri);
    Document& document(const nlohmann::json& params);

    nlohmann::json completion(const nlohmann::json& params);
    nlohmann::json signature_help(const nlohmann::json& params);
    nlohmann::json hover(const nlohmann::json& params);
    nlohmann::json definition(const nlohmann::json& params);
    nlohmann::json references(const nlohmann::json& params);

    void send(const nlohmann::json& message);
    void send_error(const nlohmann::json& id, int code, const std::string& message);

    std::ostream& out_;
    bool initialized_ = false;
    bool shut_down_ = false;
    std::map<std::string, std::unique_ptr<Document>> documents_;
};

// Reads framed messages until `exit` or the end of input; the exit code.
int run_lsp(std::istream& in, std::ostream& out);

// The local path of a file: URI ("file:///home/a%20b/x.prg" -> "/home/a b/x.prg"); "" for other
// schemes.
std::string uri_to_path(std::string_view uri);

}  // namespace vx::vxc
