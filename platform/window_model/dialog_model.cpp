#include "platform/window_model/dialog_model.h"

#include <stdio.h>
#include <string.h>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "connection/connect_dialog.h"
#include "connection/select_server.h"
#include "host/memory.h"
#include "platform/platform.h"
#include "resources/resource_ids.h"
#include "text/char_cursor.h"
#include "text/text_utils.h"

namespace {

// The classic dialog frame around the client area: a 3-pixel border on
// every side and a 19-pixel caption.
enum { kFrame = 3, kCaption = 19 };

bool isEdit(DialogControlKind kind) { return kind == kControlEdit || kind == kControlPassword; }
bool isButton(DialogControlKind kind) { return kind == kControlButton || kind == kControlDefaultButton; }

// Appends text to buffer (size bytes, always terminated).
void append(char *buffer, size_t size, const char *text) {
    size_t used = strlen(buffer);
    if (used + 1 >= size)
        return;
    size_t n = strlen(text);
    if (n > size - 1 - used)
        n = size - 1 - used;
    memcpy(buffer + used, text, n);
    buffer[used + n] = '\0';
}

}  // namespace

DialogModel::DialogModel()
    : controls_(), controlCount_(0), items_(nullptr), itemCount_(0), itemCapacity_(0), selection_(-1),
      window_{0, 0, 0, 0}, ended_(false), result_(0), outOfMemory_(false), interactive_(false),
      note_(nullptr), noteContext_(nullptr) {}

DialogModel::~DialogModel() {
    for (int i = 0; i < controlCount_; ++i)
        memFree(controls_[i].text);
    for (int i = 0; i < itemCount_; ++i)
        memFree(items_[i].text);
    memFree(items_);
}

void DialogModel::create(const DialogTemplate &t) {
    controlCount_ = 0;
    for (int i = 0; i < t.count && controlCount_ < kModelControlLimit; ++i) {
        const DialogControlTemplate &c = t.controls[i];
        controls_[controlCount_++] = Control{c.id, c.kind, c.text, dialogUnitsToPixels(c.x, c.y, c.width, c.height),
                                             true, c.visible, nullptr, 0};
    }
    DialogRect client = dialogUnitsToPixels(0, 0, t.width, t.height);
    clientToWindowRect(&client);
    window_ = DialogRect{0, 0, client.right - client.left, client.bottom - client.top};
}

DialogModel::Control *DialogModel::find(int id) {
    for (int i = 0; i < controlCount_; ++i)
        if (controls_[i].id == id)
            return &controls_[i];
    return nullptr;
}

const DialogModel::Control *DialogModel::control(int id) const {
    return const_cast<DialogModel *>(this)->find(id);
}

const char *DialogModel::itemText(int i) const { return i >= 0 && i < itemCount_ ? items_[i].text : nullptr; }

void DialogModel::note(const char *line) {
    if (interactive_)
        printf("%s\n", line);
    else if (note_ != nullptr)
        note_(noteContext_, line);
}

// --- DialogWindow ----------------------------------------------------------

void DialogModel::enableControl(int id, bool enable) {
    if (Control *c = find(id))
        c->enabled = enable;
}

bool DialogModel::controlEnabled(int id) {
    Control *c = find(id);
    return c != nullptr && c->enabled;
}

void DialogModel::showControl(int id, bool show) {
    if (Control *c = find(id))
        c->visible = show;
}

void DialogModel::moveControl(int id, int32_t x, int32_t y, int32_t width, int32_t height) {
    if (Control *c = find(id))
        c->rect = DialogRect{x, y, x + width, y + height};
}

bool DialogModel::controlWindowRect(int id, DialogRect *rect) {
    Control *c = find(id);
    if (c == nullptr)
        return false;
    DialogPoint origin = {0, 0};
    DialogRect client = {0, 0, 0, 0};
    clientToWindowRect(&client);
    origin.x = window_.left - client.left;
    origin.y = window_.top - client.top;
    *rect = DialogRect{c->rect.left + origin.x, c->rect.top + origin.y, c->rect.right + origin.x,
                       c->rect.bottom + origin.y};
    return true;
}

void DialogModel::limitText(int id, int characters) {
    if (Control *c = find(id))
        c->limit = characters;
}

void DialogModel::controlText(int id, char *buffer, int size) {
    if (size <= 0)
        return;
    buffer[0] = '\0';
    Control *c = find(id);
    if (c == nullptr || c->text == nullptr)
        return;
    size_t n = strlen(c->text);
    if (n > static_cast<size_t>(size - 1))
        n = size - 1;
    memcpy(buffer, c->text, n);
    buffer[n] = '\0';
}

int DialogModel::addItem(const char *text, void *data) {
    if (itemCount_ == itemCapacity_) {
        int capacity = itemCapacity_ == 0 ? 8 : itemCapacity_ * 2;
        Item *grown = static_cast<Item *>(memAlloc(sizeof(Item) * capacity));
        if (grown == nullptr) {
            outOfMemory_ = true;
            return -1;
        }
        if (itemCount_ > 0)
            memcpy(grown, items_, sizeof(Item) * itemCount_);
        memFree(items_);
        items_ = grown;
        itemCapacity_ = capacity;
    }
    char *copy = dupText(text, 0);
    if (copy == nullptr) {
        outOfMemory_ = true;
        return -1;
    }
    int at = sortedPlace(text);
    memmove(items_ + at + 1, items_ + at, sizeof(Item) * (itemCount_ - at));
    items_[at] = Item{copy, data};
    ++itemCount_;
    if (selection_ >= at)
        ++selection_;
    return at;
}

// The sorted combo box of Windows searches by halves, without regard to
// case, and puts the text before the first equal item that the search meets
// (which need not be the first of its equals: "Same" added to "Same",
// "SAME", "same" goes before the middle one), else after the last smaller
// item.
int DialogModel::sortedPlace(const char *text) const {
    int low = 0, high = itemCount_ - 1;
    while (low <= high) {
        int middle = (low + high) / 2;
        int order = platformCompareNoCase(items_[middle].text, text);
        if (order == 0)
            return middle;
        if (order > 0)
            high = middle - 1;
        else
            low = middle + 1;
    }
    return low;
}

bool DialogModel::itemData(int i, void **data) {
    if (i < 0 || i >= itemCount_)
        return false;
    *data = items_[i].data;
    return true;
}

void DialogModel::selectItem(int i) { selection_ = i >= 0 && i < itemCount_ ? i : -1; }

void DialogModel::deleteItem(int i) {
    if (i < 0 || i >= itemCount_)
        return;
    memFree(items_[i].text);
    memmove(items_ + i, items_ + i + 1, sizeof(Item) * (itemCount_ - i - 1));
    --itemCount_;
    if (selection_ == i)
        selection_ = -1;
    else if (selection_ > i)
        --selection_;
}

void DialogModel::clientRect(DialogRect *rect) {
    DialogRect frame = {0, 0, 0, 0};
    clientToWindowRect(&frame);
    *rect = DialogRect{0, 0, (window_.right - window_.left) - (frame.right - frame.left),
                       (window_.bottom - window_.top) - (frame.bottom - frame.top)};
}

void DialogModel::screenToClient(DialogPoint *point) {
    DialogRect frame = {0, 0, 0, 0};
    clientToWindowRect(&frame);
    point->x -= window_.left - frame.left;
    point->y -= window_.top - frame.top;
}

void DialogModel::clientToWindowRect(DialogRect *rect) {
    rect->left -= kFrame;
    rect->top -= kFrame + kCaption;
    rect->right += kFrame;
    rect->bottom += kFrame;
}

void DialogModel::moveWindow(int32_t left, int32_t top) {
    window_ = DialogRect{left, top, left + (window_.right - window_.left), top + (window_.bottom - window_.top)};
}

void DialogModel::resizeWindow(int32_t width, int32_t height) {
    window_.right = window_.left + width;
    window_.bottom = window_.top + height;
}

void DialogModel::screenSize(int32_t *width, int32_t *height) {
    *width = kModelScreenWidth;
    *height = kModelScreenHeight;
}

void DialogModel::messageBox(int textId, int captionId) {
    char line[512] = "message: ";
    append(line, sizeof line, dialogString(captionId));
    append(line, sizeof line, ": ");
    append(line, sizeof line, dialogString(textId));
    note(line);
    if (interactive_)
        waitForEnter();
}

void DialogModel::endDialog(int result) {
    ended_ = true;
    result_ = result;
}

// --- a user's actions ------------------------------------------------------

bool DialogModel::choose(const char *text) {
    Control *combo = find(IDC_SERVER_COMBO);
    if (combo == nullptr || !combo->enabled || !combo->visible) {
        note("refused: the server list is disabled");
        return false;
    }
    int found = -1;
    for (int i = 0; i < itemCount_ && found < 0; ++i)
        if (strcmp(items_[i].text, text) == 0)
            found = i;
    for (int i = 0; i < itemCount_ && found < 0; ++i)
        if (platformCompareNoCase(items_[i].text, text) == 0)
            found = i;
    if (found < 0) {
        char line[300] = "refused: no server \"";
        append(line, sizeof line, text);
        append(line, sizeof line, "\" is listed");
        note(line);
        return false;
    }
    selectItem(found);
    connectDialogCommand(this, IDC_SERVER_COMBO, kComboSelectionChanged);
    return true;
}

bool DialogModel::usable(const Control *c, int id, bool (*isKind)(DialogControlKind), const char *what,
                         const char *missing) {
    const char *why = nullptr;
    if (c == nullptr || !isKind(c->kind))
        why = missing;
    else if (!c->visible)
        why = "hidden";
    else if (!c->enabled)
        why = "disabled";
    if (why == nullptr)
        return true;
    char line[80];
    snprintf(line, sizeof line, "refused: %s %d is %s", what, id, why);
    note(line);
    return false;
}

bool DialogModel::type(int id, const char *text) {
    Control *c = find(id);
    if (!usable(c, id, isEdit, "field", "no edit"))
        return false;
    if (c->limit > 0) {
        int characters = 0;
        for (CharCursor cursor(text); !cursor.atEnd(); cursor.step())
            ++characters;
        if (characters > c->limit) {
            char line[80];
            snprintf(line, sizeof line, "refused: field %d takes at most %d characters", id, c->limit);
            note(line);
            return false;
        }
    }
    char *copy = nullptr;
    if (text[0] != '\0') {
        copy = dupText(text, 0);
        if (copy == nullptr) {
            outOfMemory_ = true;
            return false;
        }
    }
    memFree(c->text);
    c->text = copy;
    return true;
}

bool DialogModel::press(int id) {
    if (!usable(find(id), id, isButton, "button", "no button"))
        return false;
    connectDialogCommand(this, id, 0);
    return true;
}

void DialogModel::close() { connectDialogCommand(this, IDCANCEL, 0); }

void DialogModel::describe(char *buffer, size_t size) const {
    if (size == 0)
        return;
    buffer[0] = '\0';
    char part[64];
    DialogRect client = {0, 0, 0, 0};
    const_cast<DialogModel *>(this)->clientRect(&client);
    snprintf(part, sizeof part, "window at %d,%d; client %dx%d; items:", static_cast<int>(window_.left),
             static_cast<int>(window_.top), static_cast<int>(client.right), static_cast<int>(client.bottom));
    append(buffer, size, part);
    for (int i = 0; i < itemCount_; ++i) {
        append(buffer, size, i == 0 ? " " : ", ");
        if (i == selection_)
            append(buffer, size, "*");
        append(buffer, size, items_[i].text);
    }
    append(buffer, size, "; disabled:");
    for (int i = 0; i < controlCount_; ++i)
        if (!controls_[i].enabled && controls_[i].id != 65535) {
            snprintf(part, sizeof part, " %d", controls_[i].id);
            append(buffer, size, part);
        }
    append(buffer, size, "; hidden:");
    for (int i = 0; i < controlCount_; ++i)
        if (!controls_[i].visible && controls_[i].id != IDC_COMPACT_FRAME) {
            snprintf(part, sizeof part, " %d", controls_[i].id);
            append(buffer, size, part);
        }
    append(buffer, size, "; buttons");
    for (int id : {IDOK, IDCANCEL, IDC_HELP_BUTTON})
        if (const Control *b = control(id)) {
            snprintf(part, sizeof part, " %d,%d %dx%d", static_cast<int>(b->rect.left), static_cast<int>(b->rect.top),
                     static_cast<int>(b->rect.right - b->rect.left), static_cast<int>(b->rect.bottom - b->rect.top));
            append(buffer, size, part);
        }
}

// --- running ---------------------------------------------------------------

int DialogModel::run(ServerConnection *connection, const DialogScript *script, bool interactive) {
    if (script != nullptr)
        setNoteSink(script->note, script->noteContext);
    interactive_ = script == nullptr && interactive;
    connectDialogInit(this, connection);
    if (script != nullptr) {
        for (size_t i = 0; i < script->count && !ended_ && !outOfMemory_; ++i) {
            const DialogAction &a = script->actions[i];
            switch (a.kind) {
            case kActionChoose: choose(a.text != nullptr ? a.text : ""); break;
            case kActionType: type(a.control, a.text != nullptr ? a.text : ""); break;
            case kActionPress: press(a.control); break;
            case kActionClose: close(); break;
            case kActionObserve:
                if (a.observe != nullptr)
                    a.observe(*this, a.context);
                break;
            }
        }
    } else if (interactive_) {
        interact();
    }
    if (!ended_)
        close();
    return outOfMemory_ ? kDialogNotCreated : result_;
}

int runModelDialog(ServerConnection *connection, const DialogScript *script) {
    DialogModel *model = memNew<DialogModel>();
    if (model == nullptr)
        return kDialogNotCreated;
    model->create(kConnectDialogTemplate);
#ifdef _WIN32
    bool interactive = false;
#else
    bool interactive = isatty(0) != 0;
#endif
    int result = model->run(connection, script, interactive);
    memDelete(model);
    return result;
}

namespace {

const DialogScript *scriptInUse = nullptr;

int runScriptInUse(ServerConnection *connection) { return runModelDialog(connection, scriptInUse); }

}  // namespace

void useDialogScript(const DialogScript *script) {
    scriptInUse = script;
    replacementDialog = script != nullptr ? runScriptInUse : nullptr;
}
