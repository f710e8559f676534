#pragma once

// The control skin: styles 1 to 3 switch on one of three colour schemes (replacing a skin
// already on), any other number switches the skin off. It applies to every widget of the
// application, those made later included.
void setControlSkin(int style);
