// Stand-in until the panel exists: the editor build then has no editor.
#include "vst/editor/editor_factory.h"

AEffEditor* createQuilletEditor(AudioEffect* /*effect*/) { return nullptr; }

bool setQuilletEditorScale(AEffEditor* /*editor*/, float /*factor*/) { return false; }
