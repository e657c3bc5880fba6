// Resource identifiers, shared by the resource script and the code.
#pragma once

#define kIdAppIcon 1
#define kIdBrevoniManifest 2
