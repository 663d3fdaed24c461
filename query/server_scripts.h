// Server command scripts: what the serialiser learns by sending commands in
// the server's own language (custom measures, saved selections, long labels,
// the database of a measure) and the host's hierarchy-indent options.
#ifndef CBQ_QUERY_SERVER_SCRIPTS_H
#define CBQ_QUERY_SERVER_SCRIPTS_H

class QuerySession;

// One entry of the session's custom-measure table.
struct CustomMeasure;

// Frees the session's custom-measure table (when it exists) and sets its
// count back to -1.
void releaseCustomMeasures(QuerySession *session);

#endif  // CBQ_QUERY_SERVER_SCRIPTS_H
