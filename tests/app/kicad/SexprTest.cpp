// The S-expression reader: every node knows its bytes, strings come back with KiCad's escapes
// undone, places are line and column.
#include <gtest/gtest.h>

#include "app/formats/kicad/Sexpr.h"

using namespace lq::kicad;

TEST(Sexpr, NodesKeepTheirBytesAndStringsTheirEscapes)
{
    const std::string text = "(kicad_pcb (version 20211014)\n  (net 3 \"a \\\"b\\\" \\\\ \\n\\x41\\101 \\q\")\n  (pad \"1\" smd locked))";
    const SexprFile f(text, "t.kicad_pcb");
    const NodeId root = f.Root();
    EXPECT_EQ(f.Head(root), "kicad_pcb");
    EXPECT_EQ(f.Raw(root), text);
    const NodeId net = f.Child(root, "net");
    EXPECT_EQ(f.Raw(net), "(net 3 \"a \\\"b\\\" \\\\ \\n\\x41\\101 \\q\")");
    EXPECT_EQ(f.Value(f.Arg(net, 0)), "3");
    EXPECT_EQ(f.Value(f.Arg(net, 1)), "a \"b\" \\ \nAA \\q");
    EXPECT_EQ(f.Arg(net, 2), kNoNode);
    EXPECT_EQ(f.Place(f.Begin(net)), (std::pair<int, int>{2, 3}));
    const NodeId pad = f.Child(root, "pad");
    EXPECT_TRUE(f.HasWord(pad, "locked"));
    EXPECT_FALSE(f.HasWord(pad, "smd2"));
    EXPECT_EQ(f.Children(root, "net").size(), 1u);
    EXPECT_EQ(Quote("a \"b\" \\ \n"), "\"a \\\"b\\\" \\\\ \\n\"");
}
