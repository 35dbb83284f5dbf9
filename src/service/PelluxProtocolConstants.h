#pragma once

// The words of the service protocol, shared by the client and the local service.

// Methods (the request's command attribute).
inline constexpr char kPelluxProtocol_Function_CheckAccount[] = "CheckAccount";
inline constexpr char kPelluxProtocol_Function_Upload[] = "Upload";
inline constexpr char kPelluxProtocol_Function_GetFileList[] = "GetFileList";
inline constexpr char kPelluxProtocol_Function_GetFileData[] = "GetFileData";
inline constexpr char kPelluxProtocol_Function_Delete[] = "Delete";
inline constexpr char kPelluxProtocol_Function_ReUpload[] = "ReUpload";

// Elements and attributes.
inline constexpr char kPelluxProtocolParameter_request[] = "request";
inline constexpr char kPelluxProtocolParameter_response[] = "response";
inline constexpr char kPelluxProtocolParameter_command[] = "command";
inline constexpr char kPelluxProtocolParameter_version[] = "version";
inline constexpr char kPelluxProtocolParameter_result[] = "result";
inline constexpr char kPelluxProtocolParameter_mailaddress[] = "mailaddress";
inline constexpr char kPelluxProtocolParameter_password[] = "password";
inline constexpr char kPelluxProtocolParameter_aid[] = "aid";
inline constexpr char kPelluxProtocolParameter_fileID[] = "fileID";
inline constexpr char kPelluxProtocolParameter_fileIDList[] = "fileIDList";
inline constexpr char kPelluxProtocolParameter_binaryData[] = "binaryData";
inline constexpr char kPelluxProtocolParameter_dataType[] = "dataType";
inline constexpr char kPelluxProtocolParameter_priority[] = "priority";
inline constexpr char kPelluxProtocolParameter_selector[] = "selector";
inline constexpr char kPelluxProtocolParameter_creator[] = "creator";
inline constexpr char kPelluxProtocolParameter_statusFilter[] = "statusFilter";
inline constexpr char kPelluxProtocolParameter_modifiedAfter[] = "modifiedAfter";
inline constexpr char kPelluxProtocolParameter_nextModifiedAfter[] = "nextModifiedAfter";
inline constexpr char kPelluxProtocolParameter_fileList[] = "fileList";
inline constexpr char kPelluxProtocolParameter_file[] = "file";
inline constexpr char kPelluxProtocolParameter_status[] = "status";
inline constexpr char kPelluxProtocolParameter_statusCode[] = "statusCode";
inline constexpr char kPelluxProtocolParameter_lastModified[] = "lastModified";
inline constexpr char kPelluxProtocolParameter_withImage[] = "withImage";
inline constexpr char kPelluxProtocolParameter_textAttributeList[] = "textAttributeList";
inline constexpr char kPelluxProtocolParameter_textAttribute[] = "textAttribute";
inline constexpr char kPelluxProtocolParameter_type[] = "type";
inline constexpr char kPelluxProtocolParameter_value[] = "value";
inline constexpr char kPelluxProtocolParameter_error[] = "error";
inline constexpr char kPelluxProtocolParameter_extraProperties[] = "extraProperties";
inline constexpr char kPelluxProtocolParameter_acceptedTime[] = "acceptedTime";
inline constexpr char kPelluxProtocolParameter_committedTime[] = "committedTime";
inline constexpr char kPelluxProtocolParameter_rotation[] = "rotation";
inline constexpr char kPelluxProtocolParameter_deletingFileList[] = "deletingFileList";
inline constexpr char kPelluxProtocolParameter_deletingFile[] = "deletingFile";
inline constexpr char kPelluxProtocolParameter_Rework[] = "Rework";

// File status words.
inline constexpr char kPelluxProtocolParameter_Status_accepted[] = "accepted";
inline constexpr char kPelluxProtocolParameter_Status_ocring[] = "ocring";
inline constexpr char kPelluxProtocolParameter_Status_committed[] = "committed";
inline constexpr char kPelluxProtocolParameter_Status_rejected[] = "rejected";
inline constexpr char kPelluxProtocolParameter_Status_removed[] = "removed";
inline constexpr char kPelluxProtocolParameter_StatusFilter_all_with_removed[] = "all_with_removed";

// Result values.
inline constexpr int kPelluxProtocolParameter_Response_result_SUCCESS = 0;
inline constexpr int kPelluxProtocolParameter_Response_result_NO_SUCH_ACCOUNT = 102;
inline constexpr int kPelluxProtocolParameter_Response_result_FILE_ID_ALREADY_EXISTS = 121;
inline constexpr int kPelluxProtocolParameter_Response_result_NO_SUCH_FILE = 122;
inline constexpr int kPelluxProtocolParameter_Response_result_INTERNAL_CONNECTION_ERROR = 301;
inline constexpr int kPelluxProtocolParameter_Response_result_UNSUPPORTED_COMMAND = 311;

// Content types: requests, and the service's report of an internal failure.
inline constexpr char kPelluxProtocol_RequestContentType[] = "application/xml; charset=utf-8";
inline constexpr char kPelluxProtocol_ErrorContentType[] = "application/x-tarvo-halvern-error-message";

// The endpoint paths under the service's base address.
inline constexpr char kPelluxProtocol_AppPath[] = "/Halvern/app/";
inline constexpr char kPelluxProtocol_UserPagePath[] = "/Halvern/meishi/";

// The field type numbers of text attributes run from 1 up to (not including) this bound.
inline constexpr int kPelluxProtocolParameter_textDataList_blockAttribute_Value__Max = 16;
