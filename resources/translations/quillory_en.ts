<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>Quillory</name>
    <message>
        <source>Scanner polling stoppted.</source>
        <translation>Scanner polling stopped.</translation>
    </message>
    <message>
        <source>Scanner access failed: %1$@ = %2$d(%3$x) / %4$s = %5ld(%6$lx).</source>
        <translation>Scanner access failed: %1$@ = %2$d(%3$x) / %4$s = %5$ld(%6$lx).</translation>
    </message>
    <message>
        <source>_PELLUX_ERROR_102</source>
        <translation>The service does not know this mail address and password (%d).</translation>
    </message>
    <message>
        <source>_PELLUX_ERROR_121</source>
        <translation>The card is already on the service (%d).</translation>
    </message>
    <message>
        <source>_PELLUX_ERROR_122</source>
        <translation>The card is no longer on the service (%d).</translation>
    </message>
    <message>
        <source>_PELLUX_ERROR_301</source>
        <translation>The service could not reach one of its own parts; try again later (%d).</translation>
    </message>
    <message>
        <source>_PELLUX_ERROR_311</source>
        <translation>The service does not support this command (%d).</translation>
    </message>
    <message>
        <source>Status_Created</source>
        <translation>Created</translation>
    </message>
    <message>
        <source>Status_Scanned</source>
        <translation>Scanned</translation>
    </message>
    <message>
        <source>Status_Uploading</source>
        <translation>Uploading</translation>
    </message>
    <message>
        <source>Status_Uploaded</source>
        <translation>Uploaded</translation>
    </message>
    <message>
        <source>Status_Digitizing</source>
        <translation>Digitizing</translation>
    </message>
    <message>
        <source>Status_Digitized</source>
        <translation>Digitized</translation>
    </message>
    <message>
        <source>Status_Rejected</source>
        <translation>Rejected</translation>
    </message>
    <message>
        <source>Status_Deleted</source>
        <translation>Deleted</translation>
    </message>
    <message>
        <source>Status_Downloaded</source>
        <translation>Downloaded</translation>
    </message>
    <message>
        <source>_FORMAT_CONTACTXML_LANG</source>
        <translation>en</translation>
    </message>
</context>
</TS>
