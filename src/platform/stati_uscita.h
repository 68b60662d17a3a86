// How a command of the author's tool ends: the exit statuses, the same three
// for every command.
#pragma once

namespace scen {

// Done, and nothing wrong found in what was given.
inline constexpr int uscita_riuscita = 0;

// Done, but what was given has problems that the command reports: an outcome
// other than 0 (the compiled files are written all the same), descriptions
// with errors (or warnings, when they count), a scenario that does not read
// through, compiled files that do not fit their names or each other.
inline constexpr int uscita_esito = 1;

// Not done: bad usage, a file that cannot be read, converted or written, a
// model that cannot be written, no more memory, or any other failure.
inline constexpr int uscita_fallita = 2;

}  // namespace scen
