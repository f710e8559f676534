#pragma once

// Asks "您确认要退出吗？" with OK and Cancel, modal for the whole application; true for OK.
bool confirmExit();
