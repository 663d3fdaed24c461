/* Resource numbers of the module: the connect dialog, its controls and the
 * strings of its one message. Shared by the resource script and the code. */
#ifndef CBQ_RESOURCES_RESOURCE_IDS_H
#define CBQ_RESOURCES_RESOURCE_IDS_H

#define IDD_CONNECT 101

/* OK and Cancel have the numbers that windows.h gives them. */
#ifndef IDOK
#define IDOK 1
#endif
#ifndef IDCANCEL
#define IDCANCEL 2
#endif
#define IDC_HELP_BUTTON 1000
#define IDC_SERVER_COMBO 1001
#define IDC_DOMAIN 1002
#define IDC_USER_ID 1003
#define IDC_PASSWORD 1004
#define IDC_SERVER_LABEL 1006
#define IDC_DOMAIN_LABEL 1007
#define IDC_USER_ID_LABEL 1008
#define IDC_PASSWORD_LABEL 1009
#define IDC_RELATIONAL_USER_ID 1010
#define IDC_RELATIONAL_PASSWORD 1011
#define IDC_QUORVEL_ID 1012
#define IDC_COMPACT_FRAME 1013
#define IDC_RELATIONAL_GROUP 1014
#define IDC_RELATIONAL_USER_ID_LABEL 1015
#define IDC_QUORVEL_ID_LABEL 1016
#define IDC_UNNUMBERED (-1) /* stored as 65535 */

#define IDS_FILE_VANISHED 1
#define IDS_ERROR_CAPTION 2

#endif
