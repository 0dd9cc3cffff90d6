#pragma once

// The window was designed with Windows faces (MS Sans Serif, Arial, Arial Black,
// Comic Sans MS). Map each to the closest free face installed with the program,
// so every caption keeps its designed size and fits its box.
void installFontSubstitutions();
