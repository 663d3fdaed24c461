// Server command scripts: what the serialiser learns by sending commands in
// the server's own language (custom measures, saved selections, long labels,
// the database of a measure) and the host's hierarchy-indent options.
//
// Every command goes out through QVExecute; a reply is used (or copied)
// before the next command is sent. A reply that equals the session's NA
// spelling byte for byte means "nothing": no custom measures, no
// references, no long label. Custom-measure names, and the word NA in a
// limit command, are compared with compareText (lxsCmpStr over the whole
// texts, option 0x10000000); every other comparison is byte for byte.
//
// Nothing the server or the user wrote is cut: commands, reply lines,
// custom-measure names, descriptions, formulas, saved-selection names and
// values and long labels are held in texts sized to what they hold. Only the
// hierarchy-indent text has a fixed limit (kIndentTextSize).
//
// Failures: the routines that may allocate return false (or 3003) when
// memory runs out; the records added before that stay in the output
// definition. Nothing else is a failure: whatever the server prints is
// taken as its reply.
#ifndef CBQ_QUERY_SERVER_SCRIPTS_H
#define CBQ_QUERY_SERVER_SCRIPTS_H

#include <stdint.h>

#include "cbq90.h"
#include "query/query_definition.h"

class GrowableText;
class QuerySession;

// One entry of the session's custom-measure table. The table is one block
// from the allocation seam: the entries, followed by their names; it is
// freed with one memFree (releaseCustomMeasures).
struct CustomMeasure {
    const char *name;    // the custom measure's name, whole; points into the table's block
    int32_t referenced;  // 1 once the query is known to use it, else 0
};

// Frees the session's custom-measure table (when it exists) and sets its
// count back to -1.
void releaseCustomMeasures(QuerySession *session);

// Reads the server's custom measures into the session's table, once: with
// a table present nothing is sent. Sends
//   limit name to obj(property 'CUSTMEAS') eq true
//   show charlist(name)
// and keeps one entry per reply line (empty lines included), unreferenced.
// A reply equal to the NA spelling, or an empty one, leaves no table and
// the count 0. False only when the table cannot be allocated.
bool loadCustomMeasures(QuerySession *session);

// Marks the custom measure `name` as used. A name not in the table, or one
// marked already, sends nothing. Otherwise sends show qv_refs('NAME') and
// marks every table entry that a reply line names (those are not asked
// about their own references). False only when memory runs out.
bool markCustomMeasure(QuerySession *session, const char *name);

// For a script line that contains QV_SLLIMIT: the first of the markers
// 'EXCEPTION' (measure names at quoted items 12 and 13), 'SORTVALS' (item 1)
// and 'EXTREME' (item 10) that occurs in the line, with the items counted
// from 0 just after the marker's first occurrence; each measure name that
// is not empty and not NA is passed to markCustomMeasure. False only when
// memory runs out.
bool scanLimitCommand(QuerySession *session, const char *line);

// For a line that contains 'SAVED': raises *counter and writes the saved
// selection it names as selection s = *counter of dimension (e, k):
// E<e>Dim<k>SSel<s> (name), E<e>Dim<k>SSel<s>T (type S or L) and one
// E<e>Dim<k>SSel<s>D<d> per line d of its value; after each value line the
// selections that line names follow at once, with the next numbers. A
// selection that is already being expanded further out on the same chain
// (compareText), or that would lie deeper than kMaxSavedSelectionDepth, is
// written with its name and type only, so a selection naming itself ends.
// False only when memory runs out.
enum { kMaxSavedSelectionDepth = 32 };
bool recordSavedSelections(QuerySession *session, const char *line, int32_t edge,
                           int32_t position, int32_t *counter);

// The saved selection's name in a script line: the quoted item at position
// 1 counted from just after the first 'SAVED' in the line (in
// call QV_SLSEL('SAVED' 'PRODUCT' 'TOP.PRODUCTS') it is TOP.PRODUCTS); empty
// when the line has no 'SAVED' or no such item. False only when memory runs
// out.
bool savedSelectionName(const char *line, GrowableText *name);

// Asks the server about a saved selection: limit QV_SEL TO 'NAME',
// shw QV_SELTYPE (type 'S' when the reply is exactly SCRIPT, else 'L') and
// shw QV_SELVALUE, whose reply becomes *value, a new block that the caller
// frees with memFree. For type L every CR LF in the value becomes a
// backslash and the letter n. False (with *value null) only when memory
// runs out.
bool readSavedSelection(const char *name, char *type, char **value);

// *index: the n of the first DB<n> record of the output definition whose
// value equals fileName byte for byte, looking from DB0 up to the first
// missing one; -1 when none does. False only when memory runs out.
bool databaseIndex(const QuerySession *session, const char *fileName, int32_t *index);

// The dimension's long label into *label: sends
// shw obj(property 'LONGLABELFRM' 'NAME'); the reply, whole, unless it is
// empty or the NA spelling, when the label is the dimension's name. False
// only when memory runs out.
bool longLabel(const QuerySession *session, const char *dimension, GrowableText *label);

// The host's hierarchy-indent options. count: options.hierarchy.indent.count
// read as a decimal number (leading white space, optional sign, digits); 2
// when the host has no such option or the number is below 0 or above 10.
// text (kIndentTextSize bytes): options.hierarchy.indent.string without one
// pair of enclosing quotes (unquote), cut to at most 19 bytes without
// splitting a character; a single space when the host has no such option.
enum { kIndentTextSize = 20 };
void readHierarchyIndent(int32_t *count, char *text);

// Writes CMeasure<x>d (the first line of dsc NAME's reply, leading white
// space removed) and CMeasure<x>f (show obj(formula, 'NAME')'s reply,
// trailing white space removed, whole) for each referenced custom measure
// in table order, x counted by the session's custom-measure record counter.
// 0, or 3003 when memory runs out.
ResultCode writeCustomMeasures(QuerySession *session);

#endif  // CBQ_QUERY_SERVER_SCRIPTS_H
