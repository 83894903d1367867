// Creates the effect's editor. The editor build links the real panel; the
// editor's constructor attaches itself to the effect. May return null when no
// editor can be made; the effect then simply has none.
#pragma once

class AEffEditor;
class AudioEffect;

AEffEditor* createQuilletEditor(AudioEffect* effect);

// The host's content scale factor for the editor made above (before or
// while it is open); false without such an editor.
bool setQuilletEditorScale(AEffEditor* editor, float factor);
