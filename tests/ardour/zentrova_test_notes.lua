ardour {
    ["type"]    = "dsp",
    name        = "Zentrova Test Notes",
    category    = "Utility",
    license     = "MIT",
    author      = "Zentrova tests",
    description = [[Plays a fixed phrase from the session start, the same on every run.]]
}

-- { start in seconds, length in seconds, note, velocity }
local phrase = {
    { 0.10, 0.40, 48, 80 }, { 0.60, 0.40, 55, 80 }, { 1.10, 0.40, 60, 80 },
    { 1.60, 0.80, 63, 70 }, { 1.60, 0.80, 67, 70 },
}
local rate = 48000

function dsp_ioconfig ()
    return { { midi_in = 1, midi_out = 1, audio_in = 0, audio_out = 0 }, }
end

function dsp_init (sample_rate)
    rate = sample_rate
end

function dsp_run (_, _, n_samples)
    local count = 1
    if not Session:transport_rolling () then return end
    local first = Session:transport_sample ()
    local last = first + n_samples
    for _, n in ipairs (phrase) do
        local on = math.floor (n[1] * rate)
        local off = math.floor ((n[1] + n[2]) * rate)
        if on >= first and on < last then
            midiout[count] = { time = on - first + 1, data = { 0x90, n[3], n[4] } }
            count = count + 1
        end
        if off >= first and off < last then
            midiout[count] = { time = off - first + 1, data = { 0x80, n[3], 64 } }
            count = count + 1
        end
    end
end
