#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "drawing/tools/tool.h"

namespace tobrin {

// Every tool the editor has, made anew in toolbar order: the tool bar, the
// "&Tools" menu, the keys and the tooltips are built from this list.
std::vector<std::unique_ptr<Tool>> MakeTools();

// The tools of one drawing window, the one in use and the one before it
// (the pasted block hands back to it).
class ToolBox {
public:
    ToolBox();

    const std::vector<std::unique_ptr<Tool>>& All() const { return tools_; }
    Tool* Find(const QString& id) const;
    Tool& Current() const { return *current_; }
    Tool& Previous() const { return *previous_; }
    void SetCurrent(Tool& tool) { current_ = &tool; }
    void SetPrevious(Tool& tool) { previous_ = &tool; }

private:
    std::vector<std::unique_ptr<Tool>> tools_;
    Tool* current_ = nullptr;
    Tool* previous_ = nullptr;
};

}  // namespace tobrin
