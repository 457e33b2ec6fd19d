#pragma once

#include "session/rule_sets.h"

class RenameOptionsWindow;

namespace kestrix::session {
class Session;
}

// Sets the options window's controls to a rule set the way a user's clicks
// and keystrokes would, one control after another, so that every handler
// runs and every rule of the window holds: a group that is off keeps nothing
// of its texts, a start value that does not convert is replaced, a position
// field follows its spinner's last step.
void ClickRuleSetInto(RenameOptionsWindow& window, kestrix::session::Session& session,
                      const kestrix::session::RuleSet& set);
