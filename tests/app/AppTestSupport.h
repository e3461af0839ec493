// Small boards and scratch folders for the application's tests.
#pragma once
#include <string>

#include "app/model/Board.h"

namespace lqapptest {

// A part with LQ_PIN-named pins at the given offsets; pins get a pad of +-100 nm.
lq::Part MakePart(const std::string& ref, lq::Point at, const std::vector<lq::Point>& pins,
                  const lq::Attributes& pinAttributes = {});
lq::Net MakeNet(const std::string& name, const std::vector<lq::PinRef>& pins);

// Two NAND-like packages wired so that exchanging their gates shortens the airwires, a
// resistor whose pins are wired crossed, a routed connector pin and every kind of copper.
lq::Board SmallBoard();

std::string ReadFile(const std::string& path);
std::string ExampleFile(const std::string& name);

// A fresh folder under /tmp, removed with its contents when the object goes.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }
    // Names of the entries, sorted; dot files included.
    std::vector<std::string> List(const std::string& sub = "") const;

private:
    std::string m_path;
};

}  // namespace lqapptest
