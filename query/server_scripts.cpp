#include "query/server_scripts.h"

#include <string.h>

#include "host/memory.h"
#include "host/module_state.h"
#include "host/qvdata.h"
#include "host/result_code.h"
#include "query/query_definition.h"
#include "query/query_session.h"
#include "text/growable_text.h"
#include "text/nls_text.h"
#include "text/text_utils.h"

namespace {

// before + name + after, for the commands that name an object.
bool buildCommand(GrowableText *command, const char *before, const char *name, const char *after) {
    command->clear();
    return command->appendText(before) && command->appendText(name) && command->appendText(after);
}

// Sends before + name + after; returns a copy of the reply, a new block
// that the caller frees with memFree, or null when memory runs out.
char *askServer(GrowableText *command, const char *before, const char *name, const char *after) {
    if (!buildCommand(command, before, name, after))
        return nullptr;
    return dupText(QVExecute(command->text()), 0);
}

bool isNaReply(const QuerySession *session, const char *reply) {
    return strcmp(reply, session->naSpellingText.text()) == 0;
}

CustomMeasure *findCustomMeasure(QuerySession *session, const char *name) {
    for (int32_t i = 0; i < session->customMeasureCount; ++i)
        if (compareText(session->customMeasures[i].name, name) == 0)
            return &session->customMeasures[i];
    return nullptr;
}

// Counts the lines readLine finds in text (empty lines included).
int32_t countLines(const char *text) {
    int32_t count = 0;
    char unused = 0;
    for (LineReader lines(text); lines.next(&unused, 0) == 1;)
        ++count;
    return count;
}

// The saved selections being expanded around the current one, innermost
// first.
struct SelectionChain {
    const char *name;
    char type;
    const SelectionChain *outer;
    int depth;  // 1 for the selection a dimension's script names
};

const SelectionChain *findOnChain(const SelectionChain *chain, const char *name) {
    for (; chain != nullptr; chain = chain->outer)
        if (compareText(chain->name, name) == 0)
            return chain;
    return nullptr;
}

bool recordSaved(QuerySession *session, const char *line, int32_t edge, int32_t position,
                 int32_t *counter, const SelectionChain *chain) {
    if (strstr(line, "'SAVED'") == nullptr)
        return true;
    QueryDefinition *out = session->outputDefinition;
    int32_t s = ++*counter;
    GrowableText name;
    if (!savedSelectionName(line, &name))
        return false;
    if (!out->addTextF(name.text(), "E%dDim%dSSel%d", edge, position, s))
        return false;

    // A selection that is already being expanded further out keeps the
    // type it had there; its value is not expanded again.
    const SelectionChain *same = findOnChain(chain, name.text());
    if (same != nullptr) {
        const char type[2] = {same->type, 0};
        return out->addTextF(type, "E%dDim%dSSel%dT", edge, position, s);
    }

    char type = 'L';
    char *valueBlock = nullptr;
    if (!readSavedSelection(name.text(), &type, &valueBlock))
        return false;
    TextBlock value(valueBlock);
    const char typeText[2] = {type, 0};
    if (!out->addTextF(typeText, "E%dDim%dSSel%dT", edge, position, s))
        return false;
    int depth = chain == nullptr ? 1 : chain->depth + 1;
    if (depth > kMaxSavedSelectionDepth)
        return true;

    SelectionChain here = {name.text(), type, chain, depth};
    TextBlock valueLine;
    if (!valueLine.allocateFor(value.get()))
        return false;
    LineReader lines(value.get());
    for (int32_t d = 0; lines.next(valueLine.get(), valueLine.capacity()) == 1; ++d) {
        if (!out->addTextF(valueLine.get(), "E%dDim%dSSel%dD%d", edge, position, s, d))
            return false;
        if (!recordSaved(session, valueLine.get(), edge, position, counter, &here))
            return false;
    }
    return true;
}

}  // namespace

void releaseCustomMeasures(QuerySession *session) {
    if (session->customMeasures == nullptr)
        return;
    memFree(session->customMeasures);
    session->customMeasures = nullptr;
    session->customMeasureCount = -1;
}

bool loadCustomMeasures(QuerySession *session) {
    if (session->customMeasures != nullptr)
        return true;
    QVExecute("limit name to obj(property 'CUSTMEAS') eq true");
    const char *reply = QVExecute("show charlist(name)");
    session->customMeasureCount = 0;
    if (isNaReply(session, reply))
        return true;
    int32_t count = countLines(reply);
    if (count < 1)
        return true;

    // One block: the entries, then each name with its terminator. The
    // names together are no longer than the reply and one terminator each.
    size_t entries = sizeof(CustomMeasure) * static_cast<size_t>(count);
    size_t names = textLength(reply) + terminatorSize() * (static_cast<size_t>(count) + 1);
    char *block = static_cast<char *>(memAlloc(entries + names));
    if (block == nullptr)
        return false;
    CustomMeasure *table = reinterpret_cast<CustomMeasure *>(block);
    char *name = block + entries;
    char *end = block + entries + names;
    LineReader lines(reply);
    for (int32_t i = 0; i < count; ++i) {
        lines.next(name, static_cast<size_t>(end - name));
        table[i].name = name;
        table[i].referenced = 0;
        name += textLength(name) + terminatorSize();
    }
    session->customMeasures = table;
    session->customMeasureCount = count;
    return true;
}

bool markCustomMeasure(QuerySession *session, const char *name) {
    if (session->customMeasureCount < 1)
        return true;
    CustomMeasure *entry = findCustomMeasure(session, name);
    if (entry == nullptr || entry->referenced == 1)
        return true;
    GrowableText command;
    if (!buildCommand(&command, "show qv_refs('", name, "')"))
        return false;
    entry->referenced = 1;
    const char *reply = QVExecute(command.text());
    if (reply[0] == 0 || isNaReply(session, reply))
        return true;
    TextBlock line;
    if (!line.allocateFor(reply))
        return false;
    for (LineReader lines(reply); lines.next(line.get(), line.capacity()) == 1;) {
        CustomMeasure *referred = findCustomMeasure(session, line.get());
        if (referred != nullptr)
            referred->referenced = 1;
    }
    return true;
}

bool scanLimitCommand(QuerySession *session, const char *line) {
    struct LimitRow {
        const char *marker;
        int first;
        int second;  // -1: none
    };
    static const LimitRow kRows[] = {
        {"'EXCEPTION'", 12, 13},
        {"'SORTVALS'", 1, -1},
        {"'EXTREME'", 10, -1},
    };
    if (strstr(line, "QV_SLLIMIT") == nullptr)
        return true;
    const LimitRow *row = nullptr;
    const char *at = nullptr;
    for (const LimitRow &candidate : kRows) {
        at = strstr(line, candidate.marker);
        if (at != nullptr) {
            row = &candidate;
            break;
        }
    }
    if (row == nullptr)
        return true;
    const char *start = at + strlen(row->marker);

    TextBlock first, second;
    if (!first.allocateFor(start) || !second.allocateFor(start))
        return false;
    quotedItem(start, first.get(), first.capacity(), row->first);
    putTerminator(second.get());
    if (row->second >= 0)
        quotedItem(start, second.get(), second.capacity(), row->second);
    for (const char *name : {first.get(), second.get()}) {
        if (name[0] == 0 || compareText(name, "NA") == 0)
            continue;
        if (!markCustomMeasure(session, name))
            return false;
    }
    return true;
}

bool recordSavedSelections(QuerySession *session, const char *line, int32_t edge,
                           int32_t position, int32_t *counter) {
    return recordSaved(session, line, edge, position, counter, nullptr);
}

bool savedSelectionName(const char *line, GrowableText *name) {
    static const char kMarker[] = "'SAVED'";
    name->clear();
    const char *at = strstr(line, kMarker);
    if (at == nullptr)
        return true;
    const char *start = at + strlen(kMarker);
    TextBlock item;
    if (!item.allocateFor(start))
        return false;
    quotedItem(start, item.get(), item.capacity(), 1);
    return name->appendText(item.get());
}

bool readSavedSelection(const char *name, char *type, char **value) {
    *value = nullptr;
    GrowableText command;
    if (!buildCommand(&command, "limit QV_SEL TO '", name, "'"))
        return false;
    QVExecute(command.text());
    *type = strcmp(QVExecute("shw QV_SELTYPE"), "SCRIPT") == 0 ? 'S' : 'L';
    char *copy = dupText(QVExecute("shw QV_SELVALUE"), 0);
    if (copy == nullptr)
        return false;
    if (*type == 'L')
        escapeLineBreaks(copy);
    *value = copy;
    return true;
}

bool databaseIndex(const QuerySession *session, const char *fileName, int32_t *index) {
    *index = -1;
    GrowableText value;
    for (int32_t n = 0;; ++n) {
        int found = session->outputDefinition->findTextF(&value, "DB%d", n);
        if (found == QueryDefinition::kNoMemory)
            return false;
        if (found != QueryDefinition::kFound)
            return true;
        if (strcmp(value.text(), fileName) == 0) {
            *index = n;
            return true;
        }
    }
}

bool longLabel(const QuerySession *session, const char *dimension, GrowableText *label) {
    label->clear();
    GrowableText command;
    if (!buildCommand(&command, "shw obj(property 'LONGLABELFRM' '", dimension, "')"))
        return false;
    const char *reply = QVExecute(command.text());
    if (reply[0] == 0 || isNaReply(session, reply))
        return label->appendText(dimension);
    return label->appendText(reply);
}

void readHierarchyIndent(int32_t *count, char *text) {
    *count = 2;
    const char *countOption = hostOption("options.hierarchy.indent.count", nullptr);
    if (countOption != nullptr) {
        const char *p = skipSpace(countOption);
        bool negative = *p == '-';
        if (*p == '-' || *p == '+')
            ++p;
        int64_t value = 0;
        for (; *p >= '0' && *p <= '9'; ++p)
            if (value <= 10)  // anything above 10 is refused alike
                value = value * 10 + (*p - '0');
        if (negative)
            value = -value;
        *count = value < 0 || value > 10 ? 2 : static_cast<int32_t>(value);
    }
    const char *textOption = hostOption("options.hierarchy.indent.string", nullptr);
    if (textOption == nullptr)
        copyText(text, " ");
    else
        unquote(textOption, text, kIndentTextSize);
}

ResultCode writeCustomMeasures(QuerySession *session) {
    if (session->customMeasures == nullptr)
        return kOk;
    QueryDefinition *out = session->outputDefinition;
    GrowableText command;
    for (int32_t i = 0; i < session->customMeasureCount; ++i) {
        const CustomMeasure &entry = session->customMeasures[i];
        if (entry.referenced != 1)
            continue;
        int32_t x = session->customMeasureRecordCounter;

        TextBlock description(askServer(&command, "dsc ", entry.name, ""));
        if (description.get() == nullptr)
            return kOutOfMemory;
        trimLeft(description.get());
        TextBlock firstLine;
        if (!firstLine.allocateFor(description.get()))
            return kOutOfMemory;
        const char *rest = nullptr;
        readLine(description.get(), firstLine.get(), firstLine.capacity(), &rest);
        if (!out->addTextF(firstLine.get(), "CMeasure%dd", x))
            return kOutOfMemory;

        TextBlock formula(askServer(&command, "show obj(formula, '", entry.name, "')"));
        if (formula.get() == nullptr)
            return kOutOfMemory;
        trimRight(formula.get());
        if (!out->addTextF(formula.get(), "CMeasure%df", x))
            return kOutOfMemory;

        session->customMeasureRecordCounter = x + 1;
    }
    return kOk;
}
