#pragma once

// Plugs the contacts account into the shell: the main menu's sign-in (the login screen,
// presented modally) and the linked state of the shared session.
namespace GoogleAccount {
void install();
}
