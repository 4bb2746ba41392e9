// The two start-up paths that work on the journal of changes: putting back
// what a crash cut off, before anything else, and undoing the last
// migration pass when the user asks for it (kivora --undo-migration).
#pragma once

// Puts back every entry whose change was cut off and tells the user which.
// Skipped while another Kivora runs: its changes are not cut off. False when
// the journal of migrations was refused (the user was told why): then there
// is nothing to undo either.
bool recoverInterruptedChanges();

// Asks once, then puts every entry the last migration pass changed back as it
// was, except those changed since, and says how many it put back.
void undoLastMigration();
