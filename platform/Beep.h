#pragma once
// The system beep, counted so that tests can tell that a refusal was heard.
void Beep();
int BeepCount();
