#pragma once

// Names the running application as the program's entry does (the tests and the tour too). No
// display name is set: the platform would append it to every window's own title.
void nameApplication();
