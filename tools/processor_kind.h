// The tool's --cpu option: the processor kind whose kernel set the codec uses.
#pragma once

namespace halvora::tools {

// Makes every later JpegInit of this process take the kernel set of
// processor kind `kind` (0 to 6), through the codec's override variable
// HALVORA_JPEG_USECPU. False where the codec does not read that variable:
// its Windows build takes the override from the registry value USECPU under
// HKEY_LOCAL_MACHINE\Software\Halvora\JpegCodec, which is the machine's
// setting and not the tool's to change.
bool UseProcessorKind(int kind);

}  // namespace halvora::tools
