#include "drawing/tools/toolregistry.h"

namespace tobrin {

// The registry: one line per tool, in toolbar order. A tool is a class in
// its own file in this folder with a Make<Name>Tool() that returns it.
#define TOBRIN_TOOLS(TOOL) \
    TOOL(Selection)        \
    TOOL(Pen)              \
    TOOL(Line)             \
    TOOL(Box)              \
    TOOL(Circle)           \
    TOOL(Fill)             \
    TOOL(Ellipse)          \
    TOOL(Text)             \
    TOOL(Paste)

#define TOBRIN_DECLARE_TOOL(Name) std::unique_ptr<Tool> Make##Name##Tool();
TOBRIN_TOOLS(TOBRIN_DECLARE_TOOL)

std::vector<std::unique_ptr<Tool>> MakeTools()
{
    std::vector<std::unique_ptr<Tool>> tools;
#define TOBRIN_MAKE_TOOL(Name) tools.push_back(Make##Name##Tool());
    TOBRIN_TOOLS(TOBRIN_MAKE_TOOL)
    return tools;
}

ToolBox::ToolBox() : tools_(MakeTools())
{
    // The pen is in use at the start.
    current_ = previous_ = Find(QStringLiteral("pen"));
}

Tool* ToolBox::Find(const QString& id) const
{
    for (const auto& t : tools_)
        if (t->info().id == id)
            return t.get();
    return nullptr;
}

}  // namespace tobrin
