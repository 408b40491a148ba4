// What the connector needs of an analysis display (level meter, oscilloscope, spectrum,
// spectrogram, ...): the format of the data to come, one block of audio at a time, and a way
// back to the idle picture.
//
// Thread contract: the connector calls every function on the window thread (with its RealTime
// switched off, RefreshPCMData and BlockLength run on the thread that delivers buffers
// instead). RefreshPCMData and BlockLength are called while the connector holds its lock: they
// must not call back into the connector. A display must be detached from every connector
// (Connector::RemoveDisplay) before it is destroyed.
#pragma once

#include "wave_format.h"

#include <cstdint>

namespace vk350 {

class PcmDisplay {
public:
    virtual ~PcmDisplay() = default;

    // The PCM format of the blocks that follow.
    virtual void SetPCMWaveFormat(const WaveFormatEx& format) = 0;
    // Analyse and draw one block: BlockLength() bytes starting at data. The bytes belong to the
    // connector and are valid only during the call.
    virtual void RefreshPCMData(const uint8_t* data) = 0;
    // Back to the idle picture.
    virtual void ResetData() = 0;
    // Bytes per block for the current format and settings; 0 takes no data.
    virtual uint32_t BlockLength() const = 0;
    // Spectrograms and oscilloscopes: move on by a part of a block only, for a smoother picture.
    virtual bool Accelerate() const { return false; }
};

// An oscilloscope adds how far a scrolling picture moves per block.
class PcmScopeDisplay : public PcmDisplay {
public:
    virtual bool Scroll() const = 0;
    virtual uint32_t FFTLength() const = 0;
    virtual uint32_t BitLength() const = 0; // 0 for 8-bit, 1 for 16-bit samples
    virtual uint32_t Mode() const = 0;      // 0 mono, 1 stereo
};

} // namespace vk350
