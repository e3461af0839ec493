// Nets and their pins.
#pragma once
#include <vector>

#include "host/DrawObject.h"

class CNet;
class CLayoutNetlist;

class LQ_HOST_API CNetPin : public CObject {
    DECLARE_DYNAMIC(CNetPin)
public:
    CNetPin() = default;
    // Leaves no pointer to itself behind: it leaves its net and its pin.
    ~CNetPin() override;
    CNetPin(const CNetPin&) = delete;
    CNetPin& operator=(const CNetPin&) = delete;

    CNet* GetNet() const { return m_pNet; }
    void SetNet(CNet* pNet) { m_pNet = pNet; }
    CDrawObject* GetDrawObject() const { return m_pDrawObject; }
    void SetDrawObject(CDrawObject* pObject) { m_pDrawObject = pObject; }

private:
    CNet* m_pNet = nullptr;
    CDrawObject* m_pDrawObject = nullptr;
};

class LQ_HOST_API CLayoutNetPin : public CNetPin {
    DECLARE_DYNAMIC(CLayoutNetPin)
public:
    CLayoutNetPin(const CPoolString& refDes, const CPoolString& pinNumber) : m_refDes(refDes), m_pinNumber(pinNumber) {}

    const CPoolString& GetRefDes() const { return m_refDes; }
    const CPoolString& GetPinNumber() const { return m_pinNumber; }

private:
    CPoolString m_refDes;
    CPoolString m_pinNumber;
};

// One net edit as the netlist saw it, with the back-annotation switch at that moment.
struct CNetEdit {
    bool bAdd;
    CNet* pNet;
    CDrawObject* pObject;
    bool bBackAnnotate;
};

class LQ_HOST_API CNet : public CObject {
    DECLARE_DYNAMIC(CNet)
public:
    explicit CNet(const char* pszName);
    // Deletes the net pins still on the net.
    ~CNet() override;
    CNet(const CNet&) = delete;
    CNet& operator=(const CNet&) = delete;

    CString GetName() const { return m_strName; }
    // Serial number, unique in the process, never 0.
    std::uint32_t GetSerial() const { return m_nSerial; }

    // The net takes ownership of a pin that it holds; removal hands ownership back.
    void AddNetPin(CNetPin* pNetPin);
    bool RemoveNetPin(CNetPin* pNetPin);
    int GetNetPinCount() const { return static_cast<int>(m_netPins.size()); }
    CNetPin* GetNetPin(int i) const { return m_netPins.at(static_cast<std::size_t>(i)); }
    const std::vector<CNetPin*>& GetNetPins() const { return m_netPins; }

    void SetNetlist(CLayoutNetlist* pNetlist) { m_pNetlist = pNetlist; }
    CLayoutNetlist* GetNetlist() const { return m_pNetlist; }

private:
    CString m_strName;
    std::uint32_t m_nSerial;
    std::vector<CNetPin*> m_netPins;
    CLayoutNetlist* m_pNetlist = nullptr;
};

class LQ_HOST_API CLayoutNet : public CNet {
    DECLARE_DYNAMIC(CLayoutNet)
public:
    using CNet::CNet;
    // The host's back-annotation switch for single net edits.
    static bool m_bBackAnnotate;
};
