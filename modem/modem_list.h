/* ModemList: the list box of the modem model page. It lists every model of
 * the modem database, probes a COM port for a modem, tells its model from
 * its answers to the identification commands, and gives the page the full
 * database record of the model finally selected. */
#ifndef QVWIZ_MODEM_LIST_H
#define QVWIZ_MODEM_LIST_H

#include <afx.h>
#include <afxcoll.h>
#include <qvdbf32_calls.h>

class ModemLink;

/* Item data of a list entry. The model name comes first, so the item itself
 * serves as the entry's text. */
struct ModemListItem {
    char modelName[41];
    char manufacturerReply[41];
    char identifyReply[22];
    int commandIndex;
};

class ModemList : public CListBox {
public:
    ModemList();
    ~ModemList() override;

    /* Reads the database into the list; 1 when it was opened and read. */
    int LoadModems();
    /* Index of command in the command set, added when new; an empty command
     * is the default command (ATI3). */
    int AddIdentCommand(const char* command, BOOL makeDefault);
    /* -1: the port did not open or no modem answered; 0: the list is not
     * loaded or no model matched; n: n model names appended to names, the
     * first of them selected in the list. */
    int ProbePort(const char* port, CStringArray& names);
    /* 1 when the selected model's record was read into record. */
    int GetSelectedRecord(ModemInfoStruct* record);
    /* Frees the entries' item data; the list is then no longer loaded. */
    void FreeItems();

protected:
    /* A wizard cancelled never commits the page: the items go with the window. */
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    int Identify(ModemLink& link, CStringArray& names);
    bool CollectAnswers(ModemLink& link, CStringArray& answers);

    int m_defaultCommand = 0;
    int m_loaded = 0;
    char m_text[260];
    CStringArray m_commands;
};

#endif
