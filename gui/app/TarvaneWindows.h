#pragma once
// Plugs the tool windows and the data-entry dialogs into the main window. Kept apart from the main
// window so that its library needs none of theirs.

class TUser_Menue;

void ConnectTarvaneWindows(TUser_Menue& main);
