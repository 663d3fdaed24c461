#include "standins/qvdata/command_language.h"

#include <ctype.h>

#include <stdexcept>
#include <vector>

namespace qvsim {

namespace {

const char kLineEnd[] = "\r\n";

struct CommandError : std::runtime_error {
    explicit CommandError(const std::string &what) : std::runtime_error(what) {}
};

struct Token {
    enum Kind { kWord, kText, kPunct, kEnd } kind = kEnd;
    std::string text;
};

// Words are names, numbers and unquoted file names or paths.
bool isWordStart(char c) {
    return isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '$' || c == '#' ||
           c == '/' || c == '\\';
}

bool isWordChar(char c) { return isWordStart(c) || c == ':' || c == '-'; }

bool isDoubleByteLead(char c) {
    return static_cast<unsigned char>(c) >= 0x81 && static_cast<unsigned char>(c) <= 0xFE;
}

std::vector<Token> tokenize(const std::string &s) {
    std::vector<Token> out;
    size_t i = 0;
    while (i < s.size()) {
        char c = s[i];
        if (isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (c == '\'') {
            size_t close = s.find('\'', i + 1);
            if (close == std::string::npos)
                throw CommandError("a quoted text is not closed");
            out.push_back({Token::kText, s.substr(i + 1, close - i - 1)});
            i = close + 1;
        } else if (isWordStart(c) || isDoubleByteLead(c)) {
            // A byte from 0x81 to 0xFE starts a double-byte character of a
            // name (as in a byteTexts model), whatever its second byte is.
            size_t end = i;
            while (end < s.size() && (isWordChar(s[end]) || isDoubleByteLead(s[end])))
                end += isDoubleByteLead(s[end]) && end + 1 < s.size() ? 2 : 1;
            out.push_back({Token::kWord, s.substr(i, end - i)});
            i = end;
        } else if (c == '(' || c == ')' || c == ',' || c == '<' || c == '>' || c == '=') {
            out.push_back({Token::kPunct, std::string(1, c)});
            ++i;
        } else {
            throw CommandError(std::string("unexpected character '") + c + "'");
        }
    }
    out.push_back({Token::kEnd, ""});
    return out;
}

// Physical lines joined at continuation dashes, then cut at semicolons; both
// only outside quoted texts.
std::vector<std::string> statements(const std::string &command) {
    std::vector<std::string> out;
    std::string current;
    bool quoted = false;
    auto endStatement = [&]() {
        out.push_back(current);
        current.clear();
    };
    for (size_t i = 0; i < command.size(); ++i) {
        char c = command[i];
        if (c == '\'')
            quoted = !quoted;
        if (!quoted && (c == '\r' || c == '\n')) {
            size_t dash = current.find_last_not_of(" \t");
            if (dash != std::string::npos && current[dash] == '-') {
                current.erase(dash);
                if (c == '\r' && i + 1 < command.size() && command[i + 1] == '\n')
                    ++i;
                continue;
            }
            endStatement();
        } else if (!quoted && c == ';') {
            endStatement();
        } else {
            current += c;
        }
    }
    endStatement();
    return out;
}

std::string joinLines(const std::vector<std::string> &items) {
    std::string out;
    for (size_t i = 0; i < items.size(); ++i)
        out += (i ? kLineEnd : "") + items[i];
    return out;
}

std::string withCrLf(const std::string &text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            out += '\r';
        out += text[i];
    }
    return out;
}

Value truth(bool b) { return Value::of(b ? "YES" : "NO"); }

class Interpreter {
public:
    Interpreter(ServerSession &session, const std::string &statement)
        : s_(session), tokens_(tokenize(statement)) {}

    std::string run();

private:
    // Tokens.
    const Token &peek(size_t ahead = 0) const {
        size_t i = pos_ + ahead < tokens_.size() ? pos_ + ahead : tokens_.size() - 1;
        return tokens_[i];
    }
    const Token &next() {
        const Token &t = peek();
        if (pos_ < tokens_.size() - 1)
            ++pos_;
        return t;
    }
    bool isWord(const char *word, size_t ahead = 0) const {
        return peek(ahead).kind == Token::kWord && sameName(peek(ahead).text, word);
    }
    bool isPunct(char c, size_t ahead = 0) const {
        return peek(ahead).kind == Token::kPunct && peek(ahead).text[0] == c;
    }
    void expectPunct(char c) {
        if (!isPunct(c))
            throw CommandError(std::string("expected '") + c + "' " + where());
        next();
    }
    void expectEnd() {
        if (peek().kind != Token::kEnd)
            throw CommandError("unexpected " + where());
    }
    std::string where() const {
        const Token &t = peek();
        if (t.kind == Token::kEnd)
            return "at the end of the command";
        return "at " + (t.kind == Token::kText ? "'" + t.text + "'" : t.text);
    }
    std::string name(const char *what) {
        if (peek().kind != Token::kWord && peek().kind != Token::kText)
            throw CommandError(std::string("expected ") + what + " " + where());
        return next().text;
    }

    // Statements.
    std::string show();
    std::string row();
    std::string describe();
    std::string limit();
    std::string database();
    std::string pushPop(bool push);
    std::string call();
    std::string assign(const std::string &variable);

    // Expressions.
    Value expression();
    Value function(const std::string &fn);
    Value obj();
    Value identifier(const std::string &id);
    std::string printed(const Value &v) const {
        if (!v.na)
            return v.text;
        const Value &spell = s_.variables["NASPELL"];
        return spell.na ? "NA" : spell.text;
    }
    std::vector<std::string> dimensionValues(const std::string &dim) const;
    bool isLimitable(const std::string &dim) const {
        return sameName(dim, "NAME") || sameName(dim, "QV_SEL");
    }
    ServerSession::Status &status(const std::string &dim) {
        return sameName(dim, "NAME") ? s_.nameStatus : s_.selectionStatus;
    }
    std::vector<std::string> statusValues(const std::string &dim) {
        ServerSession::Status &st = status(dim);
        return st.all ? dimensionValues(dim) : st.values;
    }
    void setStatus(const std::string &dim, const std::vector<std::string> &values) {
        status(dim) = ServerSession::Status{false, values};
    }
    Value startup(const std::vector<Value> &args);
    [[noreturn]] void unknown(const std::string &id) const {
        throw CommandError(id + " does not exist in any attached database");
    }

    ServerSession &s_;
    std::vector<Token> tokens_;
    size_t pos_ = 0;
    const std::string *current_ = nullptr;  // the value a limit condition looks at
};

std::string Interpreter::run() {
    if (peek().kind == Token::kEnd)
        return "";
    if (peek().kind != Token::kWord)
        throw CommandError("a command cannot start " + where());
    if (isPunct('=', 1)) {
        std::string variable = next().text;
        next();
        return assign(variable);
    }
    std::string verb = upperCase(next().text);
    if (verb == "SHOW" || verb == "SHW")
        return show();
    if (verb == "ROW")
        return row();
    if (verb == "DSC" || verb == "DESCRIBE")
        return describe();
    if (verb == "LIMIT" || verb == "LMT")
        return limit();
    if (verb == "DTB" || verb == "DATABASE")
        return database();
    if (verb == "PUSH" || verb == "POP")
        return pushPop(verb == "PUSH");
    if (verb == "CALL")
        return call();
    throw CommandError(tokens_[0].text + " is not a command");
}

std::string Interpreter::show() {
    Value v = expression();
    expectEnd();
    return withCrLf(printed(v));
}

std::string Interpreter::row() {
    size_t width = 10;
    if (isWord("W") && peek(1).kind == Token::kWord) {
        next();
        const std::string &n = next().text;
        if (n.find_first_not_of("0123456789") != std::string::npos || n.size() > 3 ||
            std::stoi(n) < 1 || std::stoi(n) > 200)
            throw CommandError("a column width is a number from 1 to 200, not " + n);
        width = static_cast<size_t>(std::stoi(n));
    }
    bool bracketed = isPunct('<');
    if (bracketed)
        next();
    std::string out;
    while (peek().kind != Token::kEnd && !(bracketed && isPunct('>'))) {
        std::string cell = printed(expression());
        for (char &c : cell)
            if (c == '\r' || c == '\n')
                c = ' ';
        out += cell.size() < width ? cell + std::string(width - cell.size(), ' ') : cell + " ";
    }
    if (bracketed)
        expectPunct('>');
    expectEnd();
    return out;
}

std::string Interpreter::describe() {
    std::string out;
    do {
        std::string id = name("an object name");
        ObjectRef r = s_.findObject(id);
        if (!r.found())
            unknown(id);
        // Each definition follows a blank line.
        out += out.empty() ? kLineEnd : std::string(kLineEnd) + kLineEnd;
        out += "DEFINE " + r.name() + " " + r.kindWord() + " " + r.type();
        if (r.dimension == nullptr) {
            std::vector<std::string> dims;
            for (const Dimension *d : s_.dimensionsOf(r))
                dims.push_back(d->name);
            if (!dims.empty()) {
                std::string joined;
                for (const std::string &d : dims)
                    joined += (joined.empty() ? "" : " ") + d;
                out += " <" + joined + ">";
            }
        }
        if (!r.description().empty())
            out += kLineEnd + ("LD " + r.description());
        if (r.custom != nullptr)
            out += kLineEnd + ("EQ " + r.custom->formula);
    } while (peek().kind != Token::kEnd);
    return out;
}

std::vector<std::string> Interpreter::dimensionValues(const std::string &dim) const {
    if (sameName(dim, "NAME"))
        return s_.objectNames();
    std::vector<std::string> out;
    for (const SavedSelection &sel : s_.model().savedSelections)
        out.push_back(sel.name);
    return out;
}

std::string Interpreter::limit() {
    std::string dim = name("a dimension");
    if (!isLimitable(dim)) {
        if (s_.findObject(dim).dimension != nullptr)
            throw CommandError("the simulated server holds no values of dimension " + dim);
        throw CommandError(dim + " is not a dimension");
    }
    if (!isWord("TO"))
        throw CommandError("expected TO " + where());
    next();
    std::vector<std::string> values = dimensionValues(dim), chosen;
    if ((isWord("ALL") || isWord("NONE")) && peek(1).kind == Token::kEnd) {
        status(dim) = ServerSession::Status{isWord("ALL"), {}};
        next();
        return "";
    }
    if (peek().kind == Token::kEnd)
        throw CommandError("LIMIT needs values or a condition");
    bool condition = false;
    for (size_t i = pos_; i < tokens_.size(); ++i)
        condition = condition || (tokens_[i].kind == Token::kWord &&
                                  (sameName(tokens_[i].text, "EQ") || sameName(tokens_[i].text, "NE")));
    if (condition) {
        size_t start = pos_;
        for (const std::string &v : values) {
            pos_ = start;
            current_ = &v;
            Value left = expression();
            bool equal = isWord("EQ");
            if (!equal && !isWord("NE"))
                throw CommandError("expected EQ or NE " + where());
            next();
            Value right = expression();
            expectEnd();
            if (!left.na && !right.na && sameName(left.text, right.text) == equal)
                chosen.push_back(v);
        }
        current_ = nullptr;
        setStatus(dim, chosen);
        return "";
    }
    while (peek().kind != Token::kEnd) {
        Value v = expression();
        std::string match;
        for (const std::string &have : values)
            if (!v.na && sameName(have, v.text))
                match = have;
        if (match.empty()) {
            setStatus(dim, {});
            throw CommandError("'" + printed(v) + "' is not a value of " + upperCase(dim));
        }
        chosen.push_back(match);
    }
    setStatus(dim, chosen);
    return "";
}

std::string Interpreter::database() {
    std::string action = upperCase(name("ATTACH, DETACH or LIST"));
    if (action == "LIST") {
        expectEnd();
        std::vector<std::string> lines;
        for (const AttachedDatabase &a : s_.attached())
            lines.push_back(a.database->name + (a.readOnly ? " RO " : " RW ") + a.database->path);
        return joinLines(lines);
    }
    if (action != "ATTACH" && action != "DETACH")
        throw CommandError("DTB " + action + " is not a database command");
    std::string file = name("a database");
    const Database *db = s_.findDatabase(file);
    if (db == nullptr)
        throw CommandError("database " + file + " does not exist");
    std::string why;
    if (action == "DETACH") {
        expectEnd();
        if (!s_.detach(db, why))
            throw CommandError("cannot detach " + db->name + ": " + why);
        return "";
    }
    bool last = false;
    std::string mode;
    while (peek().kind == Token::kWord) {
        std::string word = upperCase(next().text);
        if (word == "FIRST" || word == "LAST")
            last = word == "LAST";
        else if (word == "RO" || word == "RW")
            mode = word;
        else
            throw CommandError("DTB ATTACH does not take " + word);
    }
    expectEnd();
    if (!s_.attach(db, last, mode, why))
        throw CommandError("cannot attach " + db->name + ": " + why);
    return "";
}

std::string Interpreter::pushPop(bool push) {
    if (peek().kind == Token::kEnd)
        throw CommandError(std::string(push ? "PUSH" : "POP") + " needs a variable");
    while (peek().kind != Token::kEnd) {
        std::string var = upperCase(name("a variable"));
        auto it = s_.variables.find(var);
        if (it == s_.variables.end())
            unknown(var);
        std::vector<Value> &saved = s_.pushed[var];
        if (push) {
            saved.push_back(it->second);
        } else {
            if (saved.empty())
                throw CommandError(var + " was not pushed");
            it->second = saved.back();
            saved.pop_back();
        }
    }
    return "";
}

std::string Interpreter::assign(const std::string &variable) {
    auto it = s_.variables.find(upperCase(variable));
    if (it == s_.variables.end())
        unknown(variable);
    Value v = expression();
    expectEnd();
    it->second = v;
    return "";
}

std::string Interpreter::call() {
    std::string program = name("a program");
    std::vector<Value> args;
    if (isPunct('(')) {
        next();
        while (!isPunct(')')) {
            if (peek().kind == Token::kEnd)
                throw CommandError("expected ')' " + where());
            args.push_back(expression());
            if (isPunct(','))
                next();
        }
        next();
    }
    expectEnd();
    const RelationalSource &rel = s_.model().relational;
    if (rel.present && sameName(program, rel.startupProgram) && s_.attachedIndex(s_.codeDatabase()) >= 0)
        return printed(startup(args));
    unknown(program);
}

// The relational start-up program: checks its arguments and the relational
// login, and makes the data database available.
Value Interpreter::startup(const std::vector<Value> &args) {
    const RelationalSource &rel = s_.model().relational;
    std::string p = upperCase(rel.startupProgram);
    if (args.size() != 7)
        throw CommandError(p + " expects 7 arguments, not " + std::to_string(args.size()));
    for (const Value &a : args)
        if (a.na)
            throw CommandError(p + " takes texts, not NA");
    if (args[1].text != "6")
        throw CommandError(p + ": interface version '" + args[1].text + "' is not supported");
    // The login's values each end in a backslash and n. On a byteTexts
    // server a byte from 0x81 to 0xFE starts a double-byte character, whose
    // second byte belongs to it even when it has the backslash code.
    std::vector<std::string> login;
    std::string rest;
    const std::string &argument = args[5].text;
    for (size_t i = 0; i < argument.size();) {
        size_t bytes = s_.model().byteTexts && isDoubleByteLead(argument[i]) && i + 1 < argument.size() ? 2 : 1;
        if (bytes == 1 && argument.compare(i, 2, "\\n") == 0) {
            login.push_back(rest);
            rest.clear();
            i += 2;
            continue;
        }
        rest.append(argument, i, bytes);
        i += bytes;
    }
    if (login.size() != 4 || !rest.empty())
        throw CommandError(p + ": the login argument must be user\\npassword\\nserver\\ntype\\n");
    if (!rel.users.empty()) {
        auto user = rel.users.find(login[0]);
        if (user == rel.users.end() || user->second != login[1])
            throw CommandError(p + ": the relational server refused the login of '" + login[0] + "'");
    }
    if (args[6].text != "PERSONAL" && args[6].text != "GUEST")
        throw CommandError(p + ": the configuration must be PERSONAL or GUEST, not '" + args[6].text + "'");
    s_.startupDone = true;
    return Value::of("");
}

Value Interpreter::expression() {
    const Token t = next();
    switch (t.kind) {
    case Token::kText:
        return Value::of(t.text);
    case Token::kEnd:
        throw CommandError("expected a value at the end of the command");
    case Token::kPunct:
        throw CommandError("unexpected " + t.text);
    case Token::kWord:
        break;
    }
    if (t.text.find_first_not_of("0123456789") == std::string::npos)
        return Value::of(t.text);
    if (isPunct('('))
        return function(t.text);
    std::string word = upperCase(t.text);
    if (word == "NA")
        return Value();
    if (word == "YES" || word == "TRUE" || word == "NO" || word == "FALSE")
        return truth(word == "YES" || word == "TRUE");
    return identifier(t.text);
}

Value Interpreter::identifier(const std::string &id) {
    std::string upper = upperCase(id);
    auto var = s_.variables.find(upper);
    if (var != s_.variables.end())
        return var->second;
    if (upper == "QV_SELTYPE" || upper == "QV_SELVALUE") {
        std::vector<std::string> st = statusValues("QV_SEL");
        if (st.empty())
            return Value();
        const SavedSelection *sel = s_.findSavedSelection(st.front());
        if (sel == nullptr)
            return Value();
        if (upper == "QV_SELTYPE")
            return Value::of(sel->script ? "SCRIPT" : "LIST");
        return Value::of(joinLines(sel->lines));
    }
    if (isLimitable(id)) {
        std::vector<std::string> st = statusValues(id);
        return st.empty() ? Value() : Value::of(st.front());
    }
    if (s_.findObject(id).found())
        return Value();  // a data object: the simulated server holds no cells
    unknown(id);
}

Value Interpreter::function(const std::string &fn) {
    std::string upper = upperCase(fn);
    if (upper == "OBJ")
        return obj();
    next();  // (
    if (upper == "CHARLIST") {
        std::string dim = name("a dimension");
        expectPunct(')');
        if (!isLimitable(dim))
            throw CommandError("CHARLIST needs a dimension whose values the server holds, not " + dim);
        std::vector<std::string> st = statusValues(dim);
        return st.empty() ? Value() : Value::of(joinLines(st));
    }
    if (upper != "QV_REFS" && upper != "QV_GETSLYDATADB") {
        if (s_.findObject(fn).found())
            throw CommandError(fn + " is not a function");
        unknown(fn);
    }
    Value arg = expression();
    expectPunct(')');
    if (upper == "QV_REFS") {
        const CustomMeasure *c = arg.na ? nullptr : s_.findCustomMeasure(arg.text);
        if (c == nullptr || c->refers.empty())
            return Value();
        std::vector<std::string> refs;
        for (const std::string &r : c->refers)
            refs.push_back(s_.findCustomMeasure(r)->name);
        return Value::of(joinLines(refs));
    }
    if (s_.attachedIndex(s_.codeDatabase()) < 0)
        unknown(fn);
    if (!s_.startupDone || arg.na || arg.text != "1")
        return Value();
    return Value::of(fileNamePart(s_.dataDatabase()->path));
}

Value Interpreter::obj() {
    next();  // (
    std::string keyword = upperCase(name("an OBJ keyword"));
    if (isPunct(','))
        next();
    std::string property;
    if (keyword == "PROPERTY") {
        Value p = expression();
        property = upperCase(p.text);
        if (isPunct(','))
            next();
    } else if (keyword != "DATA" && keyword != "FORMULA" && keyword != "TYPE" && keyword != "LD") {
        throw CommandError("OBJ has no keyword " + keyword);
    }
    Value object;
    if (isPunct(')')) {
        if (current_ == nullptr)
            throw CommandError("OBJ(" + keyword + ") needs the name of an object");
        object = Value::of(*current_);
    } else {
        object = expression();
    }
    expectPunct(')');
    ObjectRef r = object.na ? ObjectRef() : s_.findObject(object.text);
    if (!r.found())
        return Value();
    if (keyword == "DATA")
        return Value::of(r.type());
    if (keyword == "TYPE")
        return Value::of(r.kindWord());
    if (keyword == "LD")
        return r.description().empty() ? Value() : Value::of(r.description());
    if (keyword == "FORMULA")
        return r.custom ? Value::of(r.custom->formula) : Value();
    auto it = r.properties().find(property);
    return it == r.properties().end() ? Value() : Value::of(it->second);
}

}  // namespace

CommandResult executeCommand(ServerSession &session, const std::string &command) {
    CommandResult result;
    for (const std::string &statement : statements(command)) {
        std::string out;
        try {
            Interpreter interpreter(session, statement);
            out = interpreter.run();
        } catch (const CommandError &e) {
            out = std::string("ERROR: ") + e.what();
            result.ok = false;
        } catch (const std::exception &e) {  // never out through the C interface
            out = std::string("ERROR: the server failed: ") + e.what();
            result.ok = false;
        }
        if (!out.empty() && !result.output.empty())
            result.output += kLineEnd;
        result.output += out;
        if (!result.ok)
            break;
    }
    return result;
}

}  // namespace qvsim
