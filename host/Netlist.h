// The netlist of a layout sheet.
#pragma once
#include <memory>
#include <vector>

#include "host/Net.h"
#include "host/NetEditLog.h"

class CLayoutPin;

struct CNetlistUpdate {
    UINT nCode;
    LONG_PTR nKey;
};

class LQ_HOST_API CLayoutNetlist : public CObject {
    DECLARE_DYNAMIC(CLayoutNetlist)
public:
    CLayoutNetlist() = default;
    ~CLayoutNetlist() override;

    CLayoutNet* AddNet(const char* pszName);
    CLayoutNet* FindNet(const char* pszName) const;
    const std::vector<std::unique_ptr<CLayoutNet>>& GetNets() const { return m_nets; }
    // Puts a pin on a net as the host does when it loads a design: a new net pin carrying the
    // pin's designator and pin number (empty texts where they are missing), appended to the net.
    static void AttachPin(CLayoutPin* pPin, CNet* pNet);

    // Takes over the changed connections; the host then reports a netlist change for the key
    // once the current call into the plug-in has returned.
    int UpdateNetlist(UINT nCode, LONG_PTR nKey);

    const std::vector<CNetlistUpdate>& GetUpdates() const { return m_updates; }
    const CNetEditLog& GetEdits() const { return m_edits; }
    void RecordEdit(const CNetEdit& edit) { m_edits.Add(edit); }
    void ClearRecords();

private:
    std::vector<std::unique_ptr<CLayoutNet>> m_nets;
    std::vector<CNetlistUpdate> m_updates;
    CNetEditLog m_edits;
};
