// The LSP session: framing, the lifecycle, open documents and the language requests.
#include "tools/vxc/lsp_server.h"

#include <cctype>
#include <istream>
#include <ostream>

#include "language/document_text.h"
#include "language/program_analysis.h"

namespace vx::vxc {

using language::TextPosition;
using language::TextRange;
using nlohmann::json;

namespace {

// JSON-RPC error codes.
constexpr int kParseError = -32700;
constexpr int kInvalidRequest = -32600;
constexpr int kMethodNotFound = -32601;
constexpr int kInvalidParams = -32602;
constexpr int kServerNotInitialized = -32002;

// A request that can't be answered: its JSON-RPC code and text.
struct RequestError {
    int code;
    std::string message;
};

int completion_item_kind(language::CompletionKind kind) {
    switch (kind) {
        case language::CompletionKind::kFunction:
            return 3;
        case language::CompletionKind::kVariable:
            return 6;
        case language::CompletionKind::kLabel:
            return 18;  // reference
        case language::CompletionKind::kKeyword:
            break;
    }
    return 14;
}

// UTF-16 length of UTF-8 text.
int utf16_length(std::string_view utf8) {
    int units = 0;
    for (unsigned char byte : utf8) {
        units += (byte & 0xC0) != 0x80 ? 1 : 0;
        units += (byte & 0xF8) == 0xF0 ? 1 : 0;  // four bytes: a surrogate pair
    }
    return units;
}

// The notes beside a program file; a document that is no file (an editor's
// unsaved buffer) has none.
language::VariableNotes notes_of(const std::string& uri) {
    const std::string path = uri_to_path(uri);
    return path.empty() ? language::VariableNotes() : language::load_variable_notes(path);
}

int hex_digit(char ch) {
    if (ch >= '0' && ch <= '9') {
        return ch - '0';
    }
    if ((ch | 0x20) >= 'a' && (ch | 0x20) <= 'f') {
        return (ch | 0x20) - 'a' + 10;
    }
    return -1;
}

}  // namespace

struct LspServer::Document {
    language::DocumentText text;
    language::ProgramAnalysis analysis;

    json position(TextPosition bytes) const {
        const TextPosition at = text.to_utf16(bytes);
        return {{"line", at.line}, {"character", at.column}};
    }
    json range(const TextRange& bytes) const {
        return {{"start", position(bytes.start)}, {"end", position(bytes.end)}};
    }
    TextPosition read_position(const json& position) const {
        return {position.at("line").get<int>(), position.at("character").get<int>()};
    }
    // The request's position as a byte position of the analysis.
    TextPosition at(const json& params) const {
        return text.to_bytes(read_position(params.at("position")));
    }
};

LspServer::LspServer(std::ostream& out) : out_(out) {}

LspServer::~LspServer() = default;

std::string uri_to_path(std::string_view uri) {
    constexpr std::string_view kScheme = "file://";
    if (uri.substr(0, kScheme.size()) != kScheme) {
        return {};
    }
    uri.remove_prefix(kScheme.size());
    std::string path;
    for (std::size_t i = 0; i < uri.size(); ++i) {
        const int high = i + 2 < uri.size() && uri[i] == '%' ? hex_digit(uri[i + 1]) : -1;
        const int low = high >= 0 ? hex_digit(uri[i + 2]) : -1;
        if (low >= 0) {
            path += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            path += uri[i];
        }
    }
#ifdef _WIN32
    if (path.size() > 2 && path[0] == '/' && path[2] == ':') {
        path.erase(0, 1);  // "/C:/x.prg"
    }
#endif
    return path;
}

void LspServer::send(const json& message) {
    const std::string content = message.dump(-1, ' ', false, json::error_handler_t::replace);
    out_ << "Content-Length: " << content.size() << "\r\n\r\n" << content;
    out_.flush();
}

void LspServer::send_error(const json& id, int code, const std::string& message) {
    send({{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}});
}

void LspServer::reject_header(const std::string& why) {
    send_error(nullptr, kParseError, why);
}

bool LspServer::handle(std::string_view content) {
    const json message = json::parse(content, nullptr, false);
    if (message.is_discarded()) {
        send_error(nullptr, kParseError, "Сообщение не является текстом JSON.");
        return true;
    }
    const json id = message.is_object() && message.contains("id") ? message["id"] : json();
    if (!message.is_object() || !message.contains("method") || !message["method"].is_string()) {
        if (!(message.is_object() && message.contains("id") &&
              (message.contains("result") || message.contains("error")))) {
            send_error(id, kInvalidRequest, "В сообщении нет имени метода (method).");
        }
        return true;  // an answer to a request of ours: we send none
    }
    const std::string method = message["method"];
    const bool request = message.contains("id");
    if (method == "exit") {
        return false;
    }
    const json params = message.contains("params") ? message["params"] : json::object();
    try {
        if (!initialized_ && method != "initialize") {
            throw RequestError{kServerNotInitialized, "Сервер ещё не инициализирован."};
        }
        if (shut_down_) {
            throw RequestError{kInvalidRequest, "Сервер завершает работу: ждёт exit."};
        }
        json result = dispatch(method, params);
        if (request) {
            send({{"jsonrpc", "2.0"}, {"id", id}, {"result", result}});
        }
    } catch (const RequestError& error) {
        if (request) {
            send_error(id, error.code, error.message);
        }
    } catch (const json::exception& error) {
        if (request) {
            send_error(id, kInvalidParams,
                       "Неверные параметры " + method + ": " + std::string(error.what()));
        }
    }
    return true;
}

json LspServer::dispatch(const std::string& method, const json& params) {
    if (method == "initialize") {
        initialized_ = true;
        return {{"capabilities",
                 {{"textDocumentSync", {{"openClose", true}, {"change", 1}, {"save", true}}},
                  {"completionProvider", {{"triggerCharacters", {"["}}}},
                  {"signatureHelpProvider", {{"triggerCharacters", {"(", ","}}}},
                  {"hoverProvider", true},
                  {"definitionProvider", true},
                  {"referencesProvider", true}}},
                {"serverInfo", {{"name", "vxc"}}}};
    }
    if (method == "shutdown") {
        shut_down_ = true;
        return nullptr;
    }
    if (method == "textDocument/didOpen") {
        open(params);
    } else if (method == "textDocument/didChange") {
        change(params);
    } else if (method == "textDocument/didSave") {
        document(params).analysis.set_notes(notes_of(params["textDocument"]["uri"]));
    } else if (method == "textDocument/didClose") {
        const std::string uri = params.at("textDocument").at("uri");
        documents_.erase(uri);
        send({{"jsonrpc", "2.0"},
              {"method", "textDocument/publishDiagnostics"},
              {"params", {{"uri", uri}, {"diagnostics", json::array()}}}});
    } else if (method == "textDocument/completion") {
        return completion(params);
    } else if (method == "textDocument/signatureHelp") {
        return signature_help(params);
    } else if (method == "textDocument/hover") {
        return hover(params);
    } else if (method == "textDocument/definition") {
        return definition(params);
    } else if (method == "textDocument/references") {
        return references(params);
    } else if (method.rfind("$/", 0) != 0 && method != "initialized" &&
               method != "workspace/didChangeConfiguration") {
        throw RequestError{kMethodNotFound, "Метод не поддерживается: " + method};
    }
    return nullptr;
}

LspServer::Document& LspServer::document(const json& params) {
    const std::string uri = params.at("textDocument").at("uri");
    const auto found = documents_.find(uri);
    if (found == documents_.end()) {
        throw RequestError{kInvalidParams, "Документ не открыт: " + uri};
    }
    return *found->second;
}

void LspServer::open(const json& params) {
    const json& item = params.at("textDocument");
    const std::string uri = item.at("uri");
    auto doc = std::make_unique<Document>();
    doc->text = language::DocumentText(item.at("text").get<std::string>());
    doc->analysis.set_notes(notes_of(uri));
    doc->analysis.set_text(doc->text.cp1251());
    documents_[uri] = std::move(doc);
    publish_diagnostics(uri);
}

// Whole texts, or ranges to replace, in order.
void LspServer::change(const json& params) {
    Document& doc = document(params);
    for (const json& change : params.at("contentChanges")) {
        const std::string text = change.at("text");
        if (change.contains("range")) {
            const json& range = change["range"];
            doc.text.replace(doc.read_position(range.at("start")),
                             doc.read_position(range.at("end")), text);
        } else {
            doc.text = language::DocumentText(text);
        }
    }
    doc.analysis.set_text(doc.text.cp1251());
    publish_diagnostics(params["textDocument"]["uri"]);
}

void LspServer::publish_diagnostics(const std::string& uri) {
    const Document& doc = *documents_.at(uri);
    json diagnostics = json::array();
    for (const language::Diagnostic& d : doc.analysis.diagnostics()) {
        diagnostics.push_back({{"range", doc.range(d.range)},
                               {"severity", 1},
                               {"source", "vxc"},
                               {"message", d.message}});
    }
    send({{"jsonrpc", "2.0"},
          {"method", "textDocument/publishDiagnostics"},
          {"params", {{"uri", uri}, {"diagnostics", diagnostics}}}});
}

json LspServer::completion(const json& params) {
    const Document& doc = document(params);
    const language::Completion completion = doc.analysis.complete(doc.at(params));
    json items = json::array();
    for (const language::CompletionItem& item : completion.items) {
        items.push_back(
            {{"label", item.label},
             {"kind", completion_item_kind(item.kind)},
             {"detail", item.detail},
             {"filterText", item.filter_text},
             {"textEdit",
              {{"range", doc.range(completion.replace)}, {"newText", item.insert_text}}}});
    }
    // Narrower lists come from asking again as the word grows.
    return {{"isIncomplete", true}, {"items", items}};
}

json LspServer::signature_help(const json& params) {
    const Document& doc = document(params);
    const auto help = doc.analysis.signature_help(doc.at(params));
    if (!help) {
        return nullptr;
    }
    const language::FunctionDoc& function = *help->function;
    json parameters = json::array();
    int offset = utf16_length(function.name) + 1;
    for (const language::ParameterDoc& parameter : function.parameters) {
        const int length = utf16_length(parameter.name);
        parameters.push_back({{"label", {offset, offset + length}},
                              {"documentation", language::parameter_line(parameter)}});
        offset += length + 2;  // ", "
    }
    return {{"signatures",
             {{{"label", function.signature()},
               {"documentation", function.purpose},
               {"parameters", parameters}}}},
            {"activeSignature", 0},
            {"activeParameter", help->active_parameter}};
}

json LspServer::hover(const json& params) {
    const Document& doc = document(params);
    const language::Hover hover = doc.analysis.hover(doc.at(params));
    if (hover.text.empty()) {
        return nullptr;
    }
    return {{"contents", {{"kind", "plaintext"}, {"value", hover.text}}},
            {"range", doc.range(hover.range)}};
}

json LspServer::definition(const json& params) {
    const Document& doc = document(params);
    const auto range = doc.analysis.definition(doc.at(params));
    if (!range) {
        return nullptr;
    }
    return {{"uri", params["textDocument"]["uri"]}, {"range", doc.range(*range)}};
}

json LspServer::references(const json& params) {
    const Document& doc = document(params);
    json locations = json::array();
    for (const TextRange& range : doc.analysis.references(doc.at(params))) {
        locations.push_back({{"uri", params["textDocument"]["uri"]}, {"range", doc.range(range)}});
    }
    return locations;
}

int run_lsp(std::istream& in, std::ostream& out) {
    LspServer server(out);
    for (;;) {
        long long length = -1;
        bool header_read = false;
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            if (line.empty()) {
                header_read = true;
                break;
            }
            constexpr std::string_view kLength = "content-length:";
            std::string name = line.substr(0, kLength.size());
            for (char& ch : name) {
                ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            }
            if (name == kLength) {
                try {
                    length = std::stoll(line.substr(kLength.size()));
                } catch (const std::exception&) {
                    length = -1;
                }
            }
        }
        if (!header_read) {
            return server.exit_code();  // the input ended
        }
        if (length < 0 || length > (64LL << 20)) {
            // Without a length the content can't be found: skip to the next header.
            server.reject_header("В заголовке сообщения нет верной длины (Content-Length).");
            continue;
        }
        std::string content(static_cast<std::size_t>(length), '\0');
        if (!in.read(content.data(), length)) {
            return server.exit_code();
        }
        if (!server.handle(content)) {
            return server.exit_code();
        }
    }
}

}  // namespace vx::vxc
