#pragma once

// Lets pending window events run, so long work keeps the window responsive.
void LetEventsRun();
